// Every text the desktop app shows or stores, in one place.
#pragma once

#include <QString>

namespace AppStrings
{
inline const QString kAppTitle = QStringLiteral("Quillmark");
inline const QString kVersion = QStringLiteral("Quillmark v 1.1");
inline const char* const kVersionValueName = "AppNameVer";
inline const char* const kWorkspaceSection = "Workspace";
inline const char* const kEditorSettingsSection = "Settings";

// The lock that marks a running interactive instance is named after it.
inline const QString kInstanceName = QStringLiteral("QUILLMARK");
inline const QString kCloseArgument = QStringLiteral("Close");
inline const QString kClipboardArgument = QStringLiteral("clipboard");

inline const QString kInputTab = QStringLiteral("SQL Input");
inline const QString kOutputTab = QStringLiteral("SQL Output");

inline const QString kUntitled = QStringLiteral("Untitled");
inline const QString kFileFilter =
    QStringLiteral("SQL files (*.sql *.pks *.pkb *.pls *.plb *.tps *.tpb *.trg *.prc *.fnc)");
inline const QString kAllFilesFilter = QStringLiteral("All Files (*)");
inline const QString kDefaultExtension = QStringLiteral(".sql");
inline const QString kSaveAsCaption = QStringLiteral("Save As");
inline const QString kOpenCaption = QStringLiteral("Open");
inline const QString kSaveChangesPrompt =
    QStringLiteral("Save changes to %1?\n\nWhat is saved is the text of SQL Output.");
inline const QString kUnsavedInputPrompt = QStringLiteral(
    "SQL Input holds text that SQL Output does not show: it has not been formatted since it last "
    "changed.\n\nSave it to %1? \"Save Input\" saves the text as typed; \"Format and Save\" formats "
    "it and saves SQL Output.");
inline const QString kSaveInputButton = QStringLiteral("&Save Input");
inline const QString kFormatAndSaveButton = QStringLiteral("&Format and Save");
inline const QString kCannotOpenFile = QStringLiteral("Cannot open the file %1:\n%2");
inline const QString kOpenedAs = QStringLiteral("Opened as %1");
inline const QString kReopenedAs = QStringLiteral("Opened again as %1");
inline const QString kNulKept = QStringLiteral("NUL character kept at byte offset %1 (counted from 0)");
inline const QString kReadWithLoss = QStringLiteral(
    "Some bytes of %1 could not be read as %2: they were replaced by the character \uFFFD or left out.\n\n"
    "Saving the file writes the text as it stands now.");
inline const QString kCannotEncode = QStringLiteral(
    "The text holds %2 character(s) that %1 cannot represent.\n\nSave it in UTF-8 instead?");
inline const QString kSaveAsUtf8Button = QStringLiteral("Save as &UTF-8");
inline const QString kEncodingUtf8 = QStringLiteral("UTF-8");
inline const QString kEncodingUtf8WithMark = QStringLiteral("UTF-8 with BOM");
inline const QString kEncodingUtf16Le = QStringLiteral("UTF-16 LE");
inline const QString kEncodingUtf16Be = QStringLiteral("UTF-16 BE");
inline const QString kEncodingWindows1252 = QStringLiteral("Windows-1252");
inline const QString kMoreFilesInRecent = QStringLiteral("%1 more file(s) in File > Recent Files");
inline const QString kRecentFileGone =
    QStringLiteral("The file %1 no longer exists; it is taken off the recent files.");
inline const QString kIsAFolder = QStringLiteral("It is a folder.");
inline const QString kCannotSaveFile = QStringLiteral("The file %1 could not be saved:\n%2");
inline const QString kNoClipboardText =
    QStringLiteral("There is no text (ANSI) data on the Clipboard.");

inline const QString kEditConfigFile = QStringLiteral("orv_edit.ini");
inline const QString kSqlConfigFile = QStringLiteral("orv_sqledit.cfg");

// The editor's context menu.
inline const QString kMenuUndo = QStringLiteral("&Undo");
inline const QString kMenuCut = QStringLiteral("Cu&t");
inline const QString kMenuCopy = QStringLiteral("&Copy");
inline const QString kMenuPaste = QStringLiteral("&Paste");
inline const QString kMenuDelete = QStringLiteral("&Delete");
inline const QString kMenuSelectAll = QStringLiteral("Select &All");

// Find, replace and go to line.
inline const QString kFindCaption = QStringLiteral("Find");
inline const QString kReplaceCaption = QStringLiteral("Replace");
inline const QString kFindWhat = QStringLiteral("Fi&nd what:");
inline const QString kReplaceWith = QStringLiteral("Re&place with:");
inline const QString kMatchWholeWord = QStringLiteral("Match &whole word only");
inline const QString kMatchCase = QStringLiteral("Match &case");
inline const QString kDirection = QStringLiteral("Direction");
inline const QString kDirectionUp = QStringLiteral("&Up");
inline const QString kDirectionDown = QStringLiteral("&Down");
inline const QString kFindNextButton = QStringLiteral("&Find Next");
inline const QString kReplaceButton = QStringLiteral("&Replace");
inline const QString kReplaceAllButton = QStringLiteral("Replace &All");
inline const QString kNotFound = QStringLiteral("Cannot find the string '%1'.");
inline const QString kGoToCaption = QStringLiteral("Go To Line");
inline const QString kGoToLabel = QStringLiteral("&Line number (1 - %1):");

// The editor preference sheet.
inline const QString kPrefCaption = QStringLiteral("Editor Preference");
inline const QString kPrefEditorPage = QStringLiteral("Editor");
inline const QString kPrefFontPage = QStringLiteral("Editor Font");
inline const QString kPrefColorPage = QStringLiteral("Syntax Color");
inline const QString kPrefTabWidth = QStringLiteral("&Tab width:");
inline const QString kPrefLineNumbers = QStringLiteral("Show &line numbers");
inline const QString kPrefSelMargin = QStringLiteral("Show &selection margin");
inline const QString kPrefFont = QStringLiteral("&Font:");
inline const QString kPrefFontSize = QStringLiteral("&Size:");
inline const QString kPrefSample = QStringLiteral("SELECT ename, sal FROM emp -- sample");
inline const QString kPrefChooseColour = QStringLiteral("Colour of %1");
inline const QString kPrefChangeColour = QStringLiteral("&Change...");

// The minimal frame's menus.
inline const QString kMenuFile = QStringLiteral("&File");
inline const QString kMenuOpen = QStringLiteral("&Open...");
inline const QString kMenuSave = QStringLiteral("&Save");
inline const QString kMenuExit = QStringLiteral("E&xit");
inline const QString kMenuFormatTitle = QStringLiteral("Format");
inline const QString kMenuFormat = QStringLiteral("&Format");
inline const QString kMenuCapitalise = QStringLiteral("&Capitalise");
} // namespace AppStrings
