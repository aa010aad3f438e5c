#pragma once

#include "SearchPlace.h"
#include "SearchHit.h"
#include "SearchQuery.h"
#include "SearchRun.h"
#include "common/SolidBackdrop.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QModelIndex;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class SearchCell;

// The Search pane: a query field with its "Aa" and ".*" options, the place searched, a status
// line, and the hits grouped by file, shown while they stream in. A search starts on Return in
// the field and whenever an option is toggled; a new search replaces the one in progress.
class SearchView : public SolidBackdrop
{
    Q_OBJECT
public:
    explicit SearchView(QWidget *parent = nullptr);
    ~SearchView() override;

    // A hit row was clicked: the folder its search ran in, the file's path relative to it and
    // the 1-based line.
    std::function<void(const SearchPlace &place, const QString &path, int line)> onOpen;
    // The folder to search: the workspace, or none without one.
    std::function<std::optional<SearchPlace>()> placeProvider;

    // Names the current place under the field, gives the field the focus and selects its text.
    void prepare();
    // Names the place under the field again, when it may have changed.
    void updateScope();
    // Runs the query that the field and the options show now.
    void search();
    SearchQuery query() const;

    bool isSearching() const { return m_run != nullptr; }
    int hitCount() const { return m_hitCount; }
    // The query of the results shown.
    const SearchQuery &searchedQuery() const { return m_searchedQuery; }
    // The running search, if any, for tests.
    const SearchRun *run() const { return m_run; }

    QLineEdit *field() const { return m_field; }
    QToolButton *caseButton() const { return m_caseButton; }
    QToolButton *regexButton() const { return m_regexButton; }
    QLabel *scopeLabel() const { return m_scope; }
    QLabel *summaryLabel() const { return m_summary; }
    QTreeWidget *outline() const { return m_outline; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QToolButton *optionButton(const QString &title, const QString &toolTip);
    void buildOutline();
    void takeHits(const QList<SearchHit> &hits);
    void refresh();
    void reloadList();
    void finish(SearchRun::Ending ending);
    void forgetRun();
    void clicked(QTreeWidgetItem *row);

    QLineEdit *m_field = nullptr;
    QToolButton *m_caseButton = nullptr;
    QToolButton *m_regexButton = nullptr;
    QLabel *m_scope = nullptr;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_outline = nullptr;
    SearchCell *m_cell = nullptr;
    QTimer *m_refresh = nullptr;
    SearchRun *m_run = nullptr;
    int m_hitCount = 0;
    QList<SearchHit> m_waiting; // arrived, not yet in the list
    QHash<QString, QTreeWidgetItem *> m_fileRows; // by path
    SearchPlace m_searched;
    SearchQuery m_searchedQuery;
};
