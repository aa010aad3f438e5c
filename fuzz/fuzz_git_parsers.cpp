// git's log, numstat, diff and branch output, as the git pane and the commit view read it.
#include "FuzzInput.h"
#include "git/GitParsers.h"

#include <QString>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const Commit &commit : GitParsers::commits(text))
        FUZZ_CHECK(!commit.sha.isEmpty());
    GitParsers::currentBranch(text);
    GitParsers::fullMessage(text);
    GitParsers::changedFiles(text);
    // Headers before the first hunk are few in real output and always kept; hunk lines are cut.
    const FileDiff diff = GitParsers::fileDiff(text, 16);
    const auto firstHunk = std::find_if(diff.lines.begin(), diff.lines.end(),
        [](const DiffLine &line) { return line.kind != DiffLineKind::header; });
    FUZZ_CHECK(diff.lines.end() - firstHunk <= 16 && diff.notShown >= 0);
    GitParsers::revisions(text);
    if (const auto last = GitParsers::lastCommit(text))
        GitParsers::lastCommitSummary(*last, size % 2 == 0);
    return 0;
}
