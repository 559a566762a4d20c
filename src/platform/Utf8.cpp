#include "platform/Utf8.h"

#include <QStringDecoder>

namespace Utf8 {

std::optional<QString> decode(QByteArrayView bytes, TEnd end)
{
    // A stateless decoder takes a character cut off at the end as an error;
    // the default one keeps its bytes as state and reports nothing.
    QStringDecoder decoder(QStringConverter::Utf8,
                           end == TEnd::Whole ? QStringConverter::Flag::Stateless : QStringConverter::Flag::Default);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isWellFormed(QByteArrayView bytes)
{
    return decode(bytes, TEnd::Whole).has_value();
}

} // namespace Utf8
