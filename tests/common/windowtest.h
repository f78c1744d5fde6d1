// The base of a window test: message boxes answered by the test, and a fresh program directory for every test.
#pragma once

#include "guitest.h"

#include "platform/messagebox.h"

#include <QObject>
#include <memory>

// A window test derives from this, builds its data and window in setUp() and lets them go in tearDown(); the
// program directory exists during both. Boxes shown during set-up are forgotten before the test starts.
class WindowTest : public QObject
{
    Q_OBJECT

protected:
    virtual void setUp() {}
    virtual void tearDown() {}

    TestAppDir& dir() const { return *m_dir; }
    // The texts of the boxes shown since the last call, oldest first.
    static QStringList shown() { return MessageBox::takeShown(); }
    // The next box is answered Yes (or OK) instead of taking its default.
    static void answerYes() { MessageBox::setNextAnswer(QMessageBox::Yes); }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        setUp();
        MessageBox::takeShown();
    }
    void cleanup()
    {
        tearDown();
        m_dir.reset();
    }

private:
    std::unique_ptr<TestAppDir> m_dir;
};
