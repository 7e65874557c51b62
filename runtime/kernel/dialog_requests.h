// The dialog and menu requests (GUI thread): the pop-up menu, the system's file and folder
// dialogs, the runtime's modal dialogs, and filling a list control. The executor signals
// completion after each handler has returned, that is after the dialog or menu has closed.
#pragma once
#include "kernel/gui_request.h"

void PopupMenuHandler(PopupMenuRequest& block);
void FileDialogHandler(FileDialogRequest& block);
void FolderDialogHandler(FolderDialogRequest& block);
void EditBoxDialogHandler(EditBoxDialogRequest& block);
void ListBoxDialogHandler(ListBoxDialogRequest& block);
void InputDialogHandler(InputDialogRequest& block);
void FillListHandler(const FillListRequest& block);
