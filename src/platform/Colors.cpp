#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

QColor ColorToQColor(TColor c)
{
    if (IsSystemColor(c)) {
        const QPalette pal = QGuiApplication::palette();
        switch (c & 0xFF) {
        case 5: return pal.color(QPalette::Base);
        case 8: return pal.color(QPalette::Text);
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 15: return pal.color(QPalette::Button);
        case 17: return pal.color(QPalette::Disabled, QPalette::Text);
        case 18: return pal.color(QPalette::ButtonText);
        case 23: return pal.color(QPalette::ToolTipText);
        case 24: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Window);
        }
    }
    if (c == clNone)
        return QColor(Qt::transparent);
    const auto v = static_cast<std::uint32_t>(c);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor QColorToColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return static_cast<TColor>(std::uint32_t(rgb.red()) | (std::uint32_t(rgb.green()) << 8)
                               | (std::uint32_t(rgb.blue()) << 16));
}

QString ColorToHex(TColor c)
{
    return QStringLiteral("%1").arg(static_cast<std::uint32_t>(c) & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

TColor HexToColor(const QString &text, TColor defaultColor)
{
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok, 16);
    if (!ok || v > 0xFFFFFFu)
        return defaultColor;
    return static_cast<TColor>(v);
}
