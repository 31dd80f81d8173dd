#include "tools700/widgets/UserNumbers.h"

#include "tools700/common/NumberText.h"

#include <QLocale>

namespace tools700 {

char UserDecimalPoint()
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode()) : numtext::kCPoint;
}

QString UserNumberText(const std::string &cText)
{
    return QString::fromStdString(numtext::WithPoint(cText, UserDecimalPoint()));
}

std::optional<double> ReadUserNumber(const QString &text)
{
    return numtext::Parse(text.toStdString(), UserDecimalPoint());
}

} // namespace tools700
