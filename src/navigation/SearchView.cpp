#include "SearchView.h"

#include "remote/RemoteScripts.h"

#include "SearchCell.h"
#include "SearchCommand.h"
#include "common/ElidedLabel.h"
#include "common/Theme.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace
{

constexpr int refreshDelayMs = 150;
// Opening every file of a longer list while hits still stream in costs more than it shows.
constexpr qsizetype expandWhileStreamingLimit = 200;
constexpr int optionButtonWidth = 28;

QString noPlaceText()
{
    return QStringLiteral("Open a folder to search it.");
}

}

SearchView::SearchView(QWidget *parent)
    : SolidBackdrop(parent)
    , m_cell(new SearchCell(this))
    , m_refresh(new QTimer(this))
{
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(refreshDelayMs);
    connect(m_refresh, &QTimer::timeout, this, [this] { refresh(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    buildOutline();
    layout->addWidget(m_outline, 1);
    updateScope();
}

SearchView::~SearchView() = default;

QWidget *SearchView::buildHeader()
{
    auto *header = new QWidget(this);
    m_field = new QLineEdit(header);
    m_field->setPlaceholderText(QStringLiteral("Search"));
    m_field->setFont(Theme::pointFont(font(), 12));
    m_field->setClearButtonEnabled(true);
    connect(m_field, &QLineEdit::returnPressed, this, [this] { search(); });
    m_caseButton = optionButton(QStringLiteral("Aa"), QStringLiteral("Match case"));
    m_regexButton = optionButton(QStringLiteral(".*"), QStringLiteral("Regular expression"));

    // Long texts end in "…" rather than widening the sidebar.
    m_scope = new ElidedLabel(header);
    m_summary = new ElidedLabel(header);
    for (QLabel *label : { m_scope, m_summary })
        label->setFont(Theme::pointFont(font(), 11));
    m_scope->setForegroundRole(QPalette::PlaceholderText);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(m_field, 1);
    row->addWidget(m_caseButton);
    row->addWidget(m_regexButton);
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(8, 6, 8, 4);
    layout->setSpacing(2);
    layout->addLayout(row);
    layout->addWidget(m_scope);
    layout->addWidget(m_summary);
    return header;
}

QToolButton *SearchView::optionButton(const QString &title, const QString &toolTip)
{
    auto *button = new QToolButton(this);
    button->setText(title);
    button->setToolTip(toolTip);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedWidth(optionButtonWidth);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(10);
    button->setFont(mono);
    connect(button, &QToolButton::toggled, this, [this] { search(); });
    return button;
}

void SearchView::buildOutline()
{
    m_outline = new QTreeWidget(this);
    m_outline->setHeaderHidden(true);
    m_outline->setColumnCount(1);
    m_outline->setUniformRowHeights(true);
    m_outline->setIndentation(12);
    m_outline->setFrameShape(QFrame::NoFrame);
    m_outline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outline->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_outline->header()->setStretchLastSection(true);
    m_outline->setItemDelegate(m_cell);
    connect(
        m_outline, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *row) { clicked(row); });
}

void SearchView::showEvent(QShowEvent *event)
{
    SolidBackdrop::showEvent(event);
    updateScope();
}

void SearchView::prepare()
{
    updateScope();
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->selectAll();
}

void SearchView::updateScope()
{
    const std::optional<SearchPlace> place = placeProvider ? placeProvider() : std::nullopt;
    m_scope->setText(place ? place->label : noPlaceText());
    m_scope->setToolTip(place ? place->folder : QString());
}

SearchQuery SearchView::query() const
{
    return SearchQuery { m_field->text(), m_caseButton->isChecked(), m_regexButton->isChecked() };
}

void SearchView::search()
{
    forgetRun();
    m_hitCount = 0;
    m_waiting.clear();
    m_fileRows.clear();
    m_outline->clear();
    m_summary->clear();

    const SearchQuery wanted = query();
    if (wanted.text.isEmpty())
        return;
    const std::optional<SearchPlace> place = placeProvider ? placeProvider() : std::nullopt;
    if (!place) {
        m_summary->setText(noPlaceText());
        return;
    }
    m_searched = *place;
    m_searchedQuery = wanted;
    m_cell->query = wanted;
    m_summary->setText(QStringLiteral("Searching…"));

    if (place->remote) {
        m_run = new SearchRun(place->remote->program,
            place->remote->arguments(
                SearchCommand::remoteCommandLine(place->remote->quotedFolder, wanted)),
            QString(), this);
        m_run->requireEndLine();
    } else {
        m_run = new SearchRun(SearchCommand::grepProgram(), SearchCommand::localArguments(wanted),
            place->folder, this);
        m_run->setLocale(SearchCommand::localLocale());
    }
    SearchRun *run = m_run;
    run->onHits = [this, run](const QList<SearchHit> &hits) {
        if (run == m_run)
            takeHits(hits);
    };
    run->onFinish = [this, run](SearchRun::Ending ending) {
        if (run == m_run)
            finish(ending);
    };
    run->start();
}

void SearchView::forgetRun()
{
    if (!m_run)
        return;
    m_run->cancel();
    // It may be the caller of this very change.
    std::exchange(m_run, nullptr)->deleteLater();
}

void SearchView::takeHits(const QList<SearchHit> &hits)
{
    m_hitCount += int(hits.size());
    m_waiting += hits;
    // Coalesced: a pending refresh takes these hits too.
    if (!m_refresh->isActive())
        m_refresh->start();
}

void SearchView::refresh()
{
    if (!m_run)
        return;
    reloadList();
    if (m_fileRows.size() <= expandWhileStreamingLimit)
        m_outline->expandAll();
    m_summary->setText(SearchRun::progressText(m_hitCount));
}

void SearchView::reloadList()
{
    QList<QTreeWidgetItem *> newRows;
    QHash<QTreeWidgetItem *, QList<QTreeWidgetItem *>> newHits;
    for (const SearchHit &hit : std::exchange(m_waiting, {})) {
        QTreeWidgetItem *&fileRow = m_fileRows[hit.path];
        if (!fileRow) {
            fileRow = new QTreeWidgetItem({ hit.path });
            newRows.append(fileRow);
        }
        auto *hitRow = new QTreeWidgetItem({ SearchCell::shownText(hit.text) });
        hitRow->setData(0, SearchCell::LineRole, hit.line);
        newHits[fileRow].append(hitRow);
    }
    for (auto added = newHits.cbegin(); added != newHits.cend(); ++added) {
        added.key()->addChildren(added.value());
        added.key()->setData(0, SearchCell::CountRole, added.key()->childCount());
    }
    m_outline->addTopLevelItems(newRows);
}

void SearchView::finish(SearchRun::Ending ending)
{
    const QString problem = m_run ? m_run->problem() : QString();
    forgetRun();
    m_refresh->stop();
    reloadList();
    m_outline->expandAll();
    m_summary->setText(
        SearchRun::summaryText(ending, m_hitCount, int(m_fileRows.size()), problem));
}

void SearchView::clicked(QTreeWidgetItem *row)
{
    QTreeWidgetItem *fileRow = row ? row->parent() : nullptr;
    if (!fileRow || !onOpen)
        return;
    onOpen(m_searched, fileRow->text(0), row->data(0, SearchCell::LineRole).toInt());
}
