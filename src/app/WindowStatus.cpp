// The status bar and its note, the window title, the inline cards and the settings pane.
#include "WindowController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "RemoteDocumentController.h"
#include "HistoryController.h"
#include "BlameController.h"

#include "EditingController.h"
#include "FileOperationsController.h"
#include "MainWindow.h"
#include "PlacesController.h"
#include "remote/CardText.h"
#include "chrome/InlineCard.h"

#include "chrome/SettingsView.h"
#include "chrome/StatusBarView.h"
#include "chrome/StatusTexts.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int noteMilliseconds = 5000;

StatusEncoding statusEncoding(const TextEncoding &encoding)
{
    switch (encoding.kind) {
    case TextEncoding::Kind::Utf8:
        return StatusEncoding::Utf8;
    case TextEncoding::Kind::Utf16LE:
        return StatusEncoding::Utf16LE;
    case TextEncoding::Kind::Utf16BE:
        return StatusEncoding::Utf16BE;
    case TextEncoding::Kind::Utf32LE:
        return StatusEncoding::Utf32LE;
    case TextEncoding::Kind::Utf32BE:
        return StatusEncoding::Utf32BE;
    case TextEncoding::Kind::Latin1:
        return StatusEncoding::Latin1;
    }
    return StatusEncoding::Utf8;
}

}

void WindowController::scheduleStatusRefresh()
{
    if (!statusWork) {
        statusWork = new QTimer(this);
        statusWork->setSingleShot(true);
        connect(statusWork, &QTimer::timeout, this, [this] { refreshStatusBar(); });
    }
    statusWork->stop();
    const DocumentPtr active = app.documents().activeDocument();
    const qsizetype length = active && active->textView ? active->textView->buffer()->length() : 0;
    const auto delay = statusRefreshDelay(length);
    if (delay.count() == 0)
        refreshStatusBar();
    else
        statusWork->start(delay);
}

// A note that stays until the next one: for work that always ends with a note of its own, such
// as a save waiting on a machine that may take a while to answer or to be found dead.
void WindowController::showLastingNote(const QString &text)
{
    showNote(text);
    statusToken += 1; // the clearing timer of this note no longer matches
}

void WindowController::refreshStatusBar()
{
    const DocumentPtr active = app.documents().activeDocument();
    app.remoteDocuments().refreshRemoteIndicator(active);
    if (!active || !active->textView) {
        m_statusBar->setTexts({}, {});
        app.blame().clearDisplay();
        return;
    }
    app.blame().updateCaretBlame();
    // An older version shown in place of the text has a caret of its own.
    const EditorTextView *caretView = active->historyIndex && app.history().view() ? app.history().view() : active->textView.data();
    const qsizetype start = caretView->selectionStart();
    m_statusBar->setTexts(caretText(caretPlace(*caretView->buffer(), start), caretView->selectionEnd() - start),
                        statusRightText(Defaults::indentWidth(), statusEncoding(active->encoding),
                                        active->historyIndex.has_value()));
}

void WindowController::toggleSettings()
{
    if (m_settingsView && m_settingsView->isVisible()) {
        closeSettings();
        return;
    }
    if (!m_settingsView) {
        m_settingsView = new SettingsView(m_editorContainer);
        m_settingsView->onClose = [this] { closeSettings(); };
        m_settingsView->onFontSize = [this](double size) { app.editing().setFontSize(size); };
        m_settingsView->onIndentWidth = [this](int width) { app.editing().setIndentWidth(width); };
        m_settingsView->onWordWrap = [this](bool) {
            app.editing().followWrapSetting();
            app.validateMenus();
        };
        m_settingsView->onInlineBlame = [this](bool) { app.blame().showCaretBlame(); };
    }
    app.history().closeCommitView();
    m_settingsView->present();
}

void WindowController::closeSettings()
{
    if (!m_settingsView || !m_settingsView->isVisible())
        return;
    m_settingsView->hide();
    if (const DocumentPtr active = app.documents().activeDocument(); active && active->textView)
        active->textView->setFocus();
}

void WindowController::showNote(const QString &text)
{
    m_statusText = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    statusToken += 1;
    updateTitle();
    if (text.isEmpty())
        return;
    const int token = statusToken;
    // A newer note bumps the token, so this clears only its own note.
    QTimer::singleShot(noteMilliseconds, Qt::PreciseTimer, this, [this, token] {
        if (statusToken != token)
            return;
        m_statusText.reset();
        updateTitle();
    });
}

void WindowController::showBackgroundNote(const QString &text)
{
    if (!m_statusText)
        showNote(text);
}

void WindowController::updateTitle()
{
    if (!m_mainWindow)
        return;
    app.validateMenus();
    scheduleStatusRefresh();
    QString title;
    QString subtitle;
    const DocumentPtr active = app.documents().activeDocument();
    if (!active) {
        title = QStringLiteral("Quillmar");
        if (m_statusText)
            subtitle = *m_statusText;
        else if (app.fileOperations().workspace())
            subtitle = QFileInfo(*app.fileOperations().workspace()).fileName();
        m_mainWindow->setWindowModified(false);
    } else {
        title = active->fileName();
        subtitle = m_statusText ? *m_statusText : active->historyIndex ? app.history().note(*active) : diskNote(*active);
        m_mainWindow->setWindowModified(active->isDirty);
    }
    // Linux windows have no subtitle: it is shown in the toolbar and after the title.
    m_subtitleLabel->setText(subtitle);
    QString full = title + QStringLiteral("[*]");
    if (!subtitle.isEmpty())
        full += QStringLiteral(" — ") + subtitle;
    m_mainWindow->setWindowTitle(full);
}

QString WindowController::diskNote(const OpenDocument &document) const
{
    if (!QFileInfo::exists(document.path()))
        return QStringLiteral("Deleted on disk — %1 puts it back")
            .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText));
    if (document.changedOnDisk)
        return QStringLiteral("Changed on disk — saving will ask what to do");
    return {};
}

InlineCard *WindowController::card() const
{
    return m_card;
}

void WindowController::showCard(InlineCard *newCard)
{
    dismissCard();
    m_card = newCard;
    newCard->onDismiss = [this, newCard] {
        if (m_card == newCard)
            m_card = nullptr;
    };
    newCard->showIn(m_editorContainer);
}

void WindowController::dismissCard()
{
    if (InlineCard *shownCard = m_card)
        shownCard->dismiss(false);
    m_card = nullptr;
    app.places().dismissPicker();
}

InlineCard *WindowController::cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions,
                                      int keepsOpen)
{
    auto holder = std::make_shared<QPointer<InlineCard>>();
    QList<Button> buttons;
    for (int i = 0; i < text.buttons.size(); ++i) {
        auto action = actions.value(i);
        buttons << Button { text.buttons[i], i == text.primary, i != keepsOpen, QKeySequence(), [holder, action] {
                               if (action)
                                   action(*holder);
                           } };
    }
    auto *newCard = new InlineCard(text.title, text.message, text.field, buttons);
    *holder = newCard;
    showCard(newCard);
    return newCard;
}
