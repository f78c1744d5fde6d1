// A validator measuring text in code page 932 bytes.
#include "widgets/bytelimit.h"

#include "storage/text.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class Cp932Width : public QValidator
{
public:
    Cp932Width(QObject* parent, int width) : QValidator(parent), m_width(width) {}

    State validate(QString& input, int&) const override
    {
        qsizetype end = input.size();
        while (end > 0 && input[end - 1] == u' ')
            --end;
        const QStringView kept = QStringView(input).left(end);
        // A character without a place in code page 932 is stored as "?"; a "?" the user typed is one byte too.
        const QByteArray bytes = toCp932(kept);
        if (bytes.size() > m_width || bytes.count('?') != kept.count(u'?'))
            return Invalid;
        return Acceptable;
    }

private:
    int m_width;
};

} // namespace

void limitBytes(QLineEdit* box, int width)
{
    box->setValidator(new Cp932Width(box, width));
}
