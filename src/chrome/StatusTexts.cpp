#include "StatusTexts.h"

#include "editor/buffer/TextBuffer.h"

#include <QStringList>

#include <algorithm>

namespace
{

const QString itemSeparator = QStringLiteral("   ");

}

CaretPlace caretPlace(const TextBuffer &text, qsizetype offset)
{
    const qsizetype at = std::clamp<qsizetype>(offset, 0, text.length());
    const qsizetype line = text.lineAt(at);
    return { line + 1, at - text.lineStart(line) + 1 };
}

QString caretText(CaretPlace place, qsizetype selectedLength)
{
    QString text = QStringLiteral("Ln %1, Col %2").arg(place.line).arg(place.column);
    if (selectedLength > 0)
        text += QStringLiteral(" (%1 selected)").arg(selectedLength);
    return text;
}

QString encodingName(StatusEncoding encoding)
{
    switch (encoding) {
    case StatusEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case StatusEncoding::Utf16LE:
    case StatusEncoding::Utf16BE:
        return QStringLiteral("UTF-16");
    case StatusEncoding::Latin1:
        return QStringLiteral("Latin-1");
    case StatusEncoding::MacRoman:
        return QStringLiteral("Mac Roman");
    case StatusEncoding::Ascii:
        return QStringLiteral("ASCII");
    case StatusEncoding::Utf32LE:
    case StatusEncoding::Utf32BE:
        break;
    }
    return QStringLiteral("Other");
}

QString indentText(int indentWidth)
{
    return QStringLiteral("Spaces: %1").arg(indentWidth);
}

QString statusRightText(int indentWidth, std::optional<StatusEncoding> encoding, bool oldVersion)
{
    QStringList items;
    if (oldVersion)
        items << QStringLiteral("Old version");
    items << indentText(indentWidth);
    if (encoding)
        items << encodingName(*encoding);
    return items.join(itemSeparator);
}

std::chrono::milliseconds statusRefreshDelay(qsizetype textLength)
{
    return textLength >= largeStatusText ? largeStatusDelay : std::chrono::milliseconds(0);
}
