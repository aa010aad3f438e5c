// The window title, its subtitle and the transient status note.
#include "AppDelegate.h"
#include "DocumentController.h"

#include "HistoryController.h"
#include "MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int noteMilliseconds = 5000;

}

void AppDelegate::showNote(const QString &text)
{
    statusText = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    statusToken += 1;
    updateTitle();
    if (text.isEmpty())
        return;
    const int token = statusToken;
    // A newer note bumps the token, so this clears only its own note.
    QTimer::singleShot(noteMilliseconds, Qt::PreciseTimer, this, [this, token] {
        if (statusToken != token)
            return;
        statusText.reset();
        updateTitle();
    });
}

void AppDelegate::showBackgroundNote(const QString &text)
{
    if (!statusText)
        showNote(text);
}

void AppDelegate::updateTitle()
{
    if (!window)
        return;
    validateMenus();
    scheduleStatusRefresh();
    QString title;
    QString subtitle;
    const DocumentPtr active = documents().activeDocument();
    if (!active) {
        title = QStringLiteral("Quillmar");
        if (statusText)
            subtitle = *statusText;
        else if (workspace)
            subtitle = QFileInfo(*workspace).fileName();
        window->setWindowModified(false);
    } else {
        title = active->fileName();
        subtitle = statusText ? *statusText : active->historyIndex ? history().note(*active) : diskNote(*active);
        window->setWindowModified(active->isDirty);
    }
    // Linux windows have no subtitle: it is shown in the toolbar and after the title.
    subtitleLabel->setText(subtitle);
    QString full = title + QStringLiteral("[*]");
    if (!subtitle.isEmpty())
        full += QStringLiteral(" — ") + subtitle;
    window->setWindowTitle(full);
}
