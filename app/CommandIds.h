// Command identifiers of the window: the program's own and the standard ones of
// the file, edit, view and help commands. Menus, tool bars and key bindings
// carry them so that every command is routed by its number.
#pragma once

enum CommandId : int
{
    ID_FORMAT = 32771,
    ID_CAPITALISE = 32772,
    ID_EDITOR_PREFERENCE = 32777,
    ID_EDIT_FIND_NEXT = 32778,
    ID_EDIT_GOTO = 32780,
    ID_LEFT_MARGIN_DOWN = 32832,
    ID_LEFT_MARGIN_BOX = 32833,
    ID_LEFT_MARGIN_UP = 32834,
    ID_INDICATOR_ROWCOL = 32835,

    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57604,
    ID_FILE_SAVE_AS = 57605,
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPEAT = 57640,
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57670,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_STATUS_BAR = 59393,
};
