// The status bar under the editor and the settings pane over it.
#include "AppDelegate.h"
#include "DocumentController.h"
#include "RemoteDocumentController.h"
#include "HistoryController.h"
#include "BlameController.h"

#include "EditingController.h"

#include "chrome/SettingsView.h"
#include "chrome/StatusBarView.h"
#include "chrome/StatusTexts.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"

#include <QTimer>

namespace {

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

void AppDelegate::scheduleStatusRefresh()
{
    if (!statusWork) {
        statusWork = new QTimer(this);
        statusWork->setSingleShot(true);
        connect(statusWork, &QTimer::timeout, this, [this] { refreshStatusBar(); });
    }
    statusWork->stop();
    const DocumentPtr active = documents().activeDocument();
    const qsizetype length = active && active->textView ? active->textView->buffer()->length() : 0;
    const auto delay = statusRefreshDelay(length);
    if (delay.count() == 0)
        refreshStatusBar();
    else
        statusWork->start(delay);
}

// A note that stays until the next one: for work that always ends with a note of its own, such
// as a save waiting on a machine that may take a while to answer or to be found dead.
void AppDelegate::showLastingNote(const QString &text)
{
    showNote(text);
    statusToken += 1; // the clearing timer of this note no longer matches
}

void AppDelegate::refreshStatusBar()
{
    const DocumentPtr active = documents().activeDocument();
    remoteDocuments().refreshRemoteIndicator(active);
    if (!active || !active->textView) {
        statusBar->setTexts({}, {});
        blame().clearDisplay();
        return;
    }
    blame().updateCaretBlame();
    // An older version shown in place of the text has a caret of its own.
    const EditorTextView *caretView = active->historyIndex && history().view() ? history().view() : active->textView.data();
    const qsizetype start = caretView->selectionStart();
    statusBar->setTexts(caretText(caretPlace(*caretView->buffer(), start), caretView->selectionEnd() - start),
                        statusRightText(Defaults::indentWidth(), statusEncoding(active->encoding),
                                        active->historyIndex.has_value()));
}

void AppDelegate::toggleSettings()
{
    if (settingsView && settingsView->isVisible()) {
        closeSettings();
        return;
    }
    if (!settingsView) {
        settingsView = new SettingsView(editorContainer);
        settingsView->onClose = [this] { closeSettings(); };
        settingsView->onFontSize = [this](double size) { editing().setFontSize(size); };
        settingsView->onIndentWidth = [this](int width) { editing().setIndentWidth(width); };
        settingsView->onWordWrap = [this](bool) {
            editing().followWrapSetting();
            validateMenus();
        };
        settingsView->onInlineBlame = [this](bool) { blame().showCaretBlame(); };
    }
    history().closeCommitView();
    settingsView->present();
}

void AppDelegate::closeSettings()
{
    if (!settingsView || !settingsView->isVisible())
        return;
    settingsView->hide();
    if (const DocumentPtr active = documents().activeDocument(); active && active->textView)
        active->textView->setFocus();
}
