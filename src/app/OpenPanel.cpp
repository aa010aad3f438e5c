#include "OpenPanel.h"

#include <QFileInfo>

#include <algorithm>

OpenPanel::OpenPanel(QWidget *parent, const QString &message, const QString &start)
    : QFileDialog(parent, message, start)
{
    setFileMode(QFileDialog::ExistingFiles);
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog emits no urlsSelected: the answer is read from the dialog once accepted.
    connect(this, &QDialog::accepted, this, [this] {
        if (onChoose)
            onChoose(selectedUrls());
    });
}

void OpenPanel::accept()
{
    const QStringList chosen = selectedFiles();
    const bool folderChosen = std::any_of(chosen.begin(), chosen.end(),
        [](const QString &path) { return QFileInfo(path).isDir(); });
    // Qt's own dialog would enter the folder; here choosing it is the answer.
    if (folderChosen)
        QDialog::accept();
    else
        QFileDialog::accept();
}
