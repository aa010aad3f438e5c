#include "DropPlan.h"

#include <QFileInfo>

std::vector<DropPlan> planDrop(const QList<QUrl> &urls)
{
    std::vector<DropPlan> plan;
    QUrl folder;
    for (const QUrl &url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (!url.isLocalFile() || !info.exists())
            continue;
        if (info.isDir()) {
            folder = url;
            continue;
        }
        // Opening says why a file that is not text, not a regular file or not readable stays
        // closed.
        plan.push_back({ DropPlan::Action::openFile, url });
    }
    if (!folder.isEmpty())
        plan.push_back({ DropPlan::Action::setWorkspace, folder });
    return plan;
}
