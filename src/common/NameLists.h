#pragma once

#include <QString>
#include <QStringView>

// Names kept out of every listing of the editor, compared exactly against a last path component.
namespace NameLists {

// Never listed in the Explorer or remote listings; skipped by the file index.
bool isHidden(QStringView name);
// Shown in the Explorer but never walked by the file index nor searched.
bool isHeavy(QStringView name);

const QStringList &hiddenNames();
const QStringList &heavyFolderNames();

}
