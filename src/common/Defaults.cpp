#include "Defaults.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace Defaults {

namespace {

QVariant read(const char *key)
{
    // Organisation and application names are set once at start-up, so this is the one store.
    return QSettings().value(QLatin1String(key));
}

}

std::optional<QString> string(const char *key)
{
    const QVariant value = read(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

QStringList stringList(const char *key)
{
    const QVariant value = read(key);
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString: {
        // The INI store hands a one-element list back as a plain string.
        const QString one = value.toString();
        return one.isEmpty() ? QStringList() : QStringList { one };
    }
    case QMetaType::QVariantList: {
        QStringList out;
        for (const QVariant &item : value.toList()) {
            if (item.typeId() != QMetaType::QString)
                return {};
            out << item.toString();
        }
        return out;
    }
    default:
        return {};
    }
}

QVariantMap dictionary(const char *key)
{
    const QVariant value = read(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

bool boolean(const char *key, bool fallback)
{
    const QVariant value = read(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        // Booleans come back from the INI store as their words.
        const QString word = value.toString();
        if (word == QLatin1String("true"))
            return true;
        if (word == QLatin1String("false"))
            return false;
    }
    return fallback;
}

QByteArray bytes(const char *key)
{
    const QVariant value = read(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QString sidebarMode()
{
    return string(SidebarMode).value_or(QStringLiteral("explorer"));
}

bool explorerHidden() { return boolean(ExplorerHidden, false); }
bool panelHidden() { return boolean(PanelHidden, true); }
bool wrap() { return boolean(Wrap, true); }
bool copyIndent() { return boolean(CopyIndent, true); }
bool braces() { return boolean(Braces, true); }
bool inlineBlame() { return boolean(InlineBlame, true); }

double fontSize()
{
    bool ok = false;
    const QVariant value = read(FontSize);
    if (value.typeId() == QMetaType::Bool)
        return defaultFontSize;
    const double size = value.toDouble(&ok);
    // A huge or tiny stored size would make the text vanish.
    if (!ok || !std::isfinite(size) || size <= 0)
        return defaultFontSize;
    return std::clamp(size, minimumFontSize, maximumFontSize);
}

int indentWidth()
{
    bool ok = false;
    const QVariant value = read(IndentWidth);
    if (value.typeId() == QMetaType::Bool)
        return 2;
    const int width = value.toInt(&ok);
    if (!ok || width == 0)
        return 2;
    return std::clamp(width, 1, 8);
}

void set(const char *key, const QVariant &value)
{
    QSettings().setValue(QLatin1String(key), value);
}

void remove(const char *key)
{
    QSettings().remove(QLatin1String(key));
}

bool contains(const char *key)
{
    return QSettings().contains(QLatin1String(key));
}

}
