#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// The user-defaults store: every key the editor keeps, read afresh each time it is needed.
// A missing or ill-typed value gives the key's default.
namespace Defaults {

inline constexpr auto Workspace = "QuillmarWorkspace";
inline constexpr auto ExplorerRoot = "QuillmarExplorerRoot";
inline constexpr auto OpenFiles = "QuillmarOpenFiles";
inline constexpr auto ActiveFile = "QuillmarActiveFile";
inline constexpr auto SidebarMode = "QuillmarSidebarMode";
inline constexpr auto ExplorerHidden = "QuillmarExplorerHidden";
inline constexpr auto PanelHidden = "QuillmarPanelHidden";
inline constexpr auto FontSize = "QuillmarFontSize";
inline constexpr auto IndentWidth = "QuillmarIndentWidth";
inline constexpr auto Wrap = "QuillmarWrap";
inline constexpr auto CopyIndent = "QuillmarCopyIndent";
inline constexpr auto Braces = "QuillmarBraces";
inline constexpr auto InlineBlame = "QuillmarInlineBlame";
inline constexpr auto Bookmarks = "QuillmarBookmarks";
inline constexpr auto RemoteFiles = "QuillmarRemoteFiles";
inline constexpr auto RemoteExpanded = "QuillmarRemoteExpanded";
inline constexpr auto CommandHistory = "QuillmarCommandHistory";
// Window and split positions, kept by the window itself.
inline constexpr auto WindowFrame = "QuillmarWindow";
inline constexpr auto MainSplit = "QuillmarSplit";
inline constexpr auto RightSplit = "QuillmarRightSplit";

// The editor's font size: the default, and the range a stored or chosen size is kept in.
inline constexpr double defaultFontSize = 11;
inline constexpr double minimumFontSize = 8;
inline constexpr double maximumFontSize = 48;

// Typed reads with the table's defaults.
std::optional<QString> string(const char *key);
QStringList stringList(const char *key);
QVariantMap dictionary(const char *key);
bool boolean(const char *key, bool fallback);
QByteArray bytes(const char *key);

// The settings of the editor, each with its default.
QString sidebarMode(); // "explorer" when missing
bool explorerHidden(); // false
bool panelHidden(); // true
double fontSize(); // 11 when missing, 0, negative or not a number; else clamped to 8...48
int indentWidth(); // 2 when missing or 0; a stored value is clamped to 1...8
bool wrap(); // true
bool copyIndent(); // true
bool braces(); // true
bool inlineBlame(); // true

void set(const char *key, const QVariant &value);
void remove(const char *key);
bool contains(const char *key);

}
