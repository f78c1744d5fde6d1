// The outcome of a storage operation: ok, or a message for the user.
#pragma once

#include <QString>

struct Result
{
    bool ok = true;
    QString error; // Japanese text fit to show the user as it stands

    static Result success() { return {}; }
    static Result failure(const QString& message) { return {false, message}; }
    explicit operator bool() const { return ok; }
};
