#pragma once

#include "OpenDocument.h"
#include "chrome/HoverCards.h"
#include "editor/EditorTextView.h"
#include "git/BlameInfo.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class AppDelegate;
class BlameHoverCard;

// Blame of the caret's line: the status bar text, the dim annotation, the details card and
// the hover card with the commit's full message.
class BlameController : public QObject {
    Q_OBJECT
public:
    explicit BlameController(AppDelegate &app);
    ~BlameController() override;

    // Gives a new document its blame, reaching a remote file's machine while it is connected.
    void attach(const DocumentPtr &document);
    // Starts the blame of the shown document when it is missing or stale, then shows it.
    void updateCaretBlame();
    void showCaretBlame();
    void clearDisplay();
    void showDetails();
    void markAllStale(); // the files may have changed behind our back
    // Another document is about to be shown: the old annotation and hover card go.
    void leaveDocument(const DocumentPtr &previous);

    // The pointer over an annotation (nullopt: it left).
    void hoverAnnotation(const std::optional<QRect> &area);
    void hideHoverCard();

    const std::optional<BlameInfo> &caretInfo() const { return m_caretInfo; }
    BlameHoverCard *hoverCard() const;
    // A commit's full message once git has told it.
    std::optional<QString> knownMessage(const QString &sha) const;

private:
    void setAnnotation(const DocumentPtr &document, std::optional<EditorTextView::Annotation> annotation);
    void showHoverCard(const QRect &annotation);

    AppDelegate &app;
    std::optional<BlameInfo> m_caretInfo;
    std::optional<int> line;
    QPointer<BlameHoverCard> m_hoverCard;
    HoverCards::EditorHover hover;
    QHash<QString, QString> messages; // full commit messages by sha
};
