// Attachments of objects: reading and storing record 117, the dialog "SETURL", the marker and
// the commands that open, attach and clear.
#include "editing/attachments.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "documents/document_life.h"
#include "documents/document_state.h"
#include "documents/document_window.h"
#include "documents/file_dialogs.h"
#include "documents/options.h"
#include "documents/settings.h"
#include "frame/frame_services.h"
#include "frame/frame_windows.h"
#include "frame/help_context.h"
#include "model/drawing.h"
#include "model/edit_ops.h"
#include "model/invalidate.h"
#include "model/resource_strings.h"
#include "model/undo.h"
#include "model/window_utils.h"
#include "resource.h"
#include "store/block_store.h"

BOOL g_attachHintShown = FALSE;

namespace {

constexpr int kHelpContext = 30036;
constexpr int kUndoAttach = 54;
constexpr int kUndoClearAttach = 56;
constexpr int kNameField = 1060;
constexpr int kFirstKindButton = 1061;
constexpr int kLastKindButton = 1064;
constexpr int kBrowseButton = 10;
constexpr int kHelpButton = 9;
constexpr int kHelpCommand = 30001;
constexpr int kHintText = 201;
constexpr int kDescription = 202;
constexpr UINT kNoAttachment = 48;
constexpr UINT kAttachmentMissing = 49;
constexpr UINT kClearQuestion = 50;
constexpr UINT kBrowserFailed = 73;
constexpr UINT kFileFailed = 74;
constexpr char kWebPrefix[] = "http://www.";

HINSTANCE Instance()
{
    return g_hInstance ? g_hInstance : GetModuleHandleA(nullptr);
}

int LastKind()
{
    int kind = g_settings ? g_settings->lastAttachmentKind : AttachDrawing;
    return kind >= AttachDrawing && kind <= AttachProgram ? kind : AttachDrawing;
}

// The object's attachment: target (261 bytes) and kind, true when the record exists. Records
// come from files, older stores and the clipboard store: the target is read up to its NUL
// inside the record and at most 260 characters, and a kind other than 1-3 is a drawing.
bool ReadAttachment(int slot, int objectId, HGLOBAL* record, char* target, int* kind)
{
    *record = nullptr;
    target[0] = 0;
    *kind = LastKind();
    HGLOBAL block = nullptr;
    if (objectId < 1 || objectId > kMaxAttachmentId || LoadRecord(slot, RecAttachment, objectId, &block)) return false;
    {
        BlockLock lock(block);
        const LONG size = GetBlockSize(block) - kBlockHeaderSize;
        if (lock && size > 0) {
            const char* payload = reinterpret_cast<const char*>(lock.get() + kBlockHeaderSize);
            const size_t length = strnlen(payload, std::min<LONG>(size, kMaxAttachmentTarget));
            std::memcpy(target, payload, length);
            target[length] = 0;
            *kind = ParseAttachmentKind(payload, static_cast<size_t>(size));
        } else {
            *kind = AttachDrawing;
        }
    }
    if (*kind < AttachWebPage || *kind > AttachProgram) *kind = AttachDrawing;
    ReleaseBlock(block);
    *record = block;
    return true;
}

// Writes the target and its kind tag into record (117, id), adding or enlarging it.
int StoreAttachment(int slot, HGLOBAL record, int objectId, const char* target, int kind)
{
    int err = 0;
    if (record) {
        err = ReloadRecord(slot, RecAttachment, objectId, &record);
        if (!err) err = BeginRecordChange(record);
        if (!err && GetBlockSize(record) < static_cast<LONG>(sizeof(Attachment)))
            err = ResizeRecord(&record, sizeof(Attachment));
    } else {
        // A store of an older version has no attachment records yet.
        err = AddRecordType(slot, RecAttachment);
        if (err == StoreKeyExists) err = 0;
        if (!err) err = AddRecord(slot, RecAttachment, objectId, sizeof(Attachment), &record);
    }
    if (err) return err;
    {
        Locked<Attachment> attachment(record);
        if (!attachment) {
            err = ErrOutOfMemory;
        } else {
            std::memset(attachment->payload, 0, sizeof(attachment->payload));
            std::memcpy(attachment->payload, target, strnlen(target, kMaxAttachmentTarget));
            AppendAttachmentKind(attachment->payload, kind);
        }
    }
    if (!err) err = MarkBlockDirty(record);
    ReleaseBlock(record);
    return err;
}

void ShowAttachHintOnce()
{
    if (g_attachHintShown || !g_settings || !(g_settings->flags & SetHints)) return;
    g_attachHintShown = TRUE;
    RunInfoDialog("HINT_ATTACH", kHelpContext);
}

// The one selected object that is the drawing's current object: its row, id and update
// rectangle; otherwise "INFO_ATTACH" is shown and false returned.
bool SelectedObject(DocumentState* state, int* objectId, RECT* rect)
{
    {
        Locked<Drawing> drawing(state->drawing);
        if (drawing && drawing->selectedCount == 1 && drawing->currentRow >= 0) {
            Locked<ObjectList> objects(drawing->objectList);
            if (objects && drawing->currentRow < objects->count) {
                const DrawObject& object = (*objects)[drawing->currentRow];
                *objectId = object.objId;
                *rect = object.updateRect;
                return true;
            }
        }
    }
    RunInfoDialog("INFO_ATTACH", kHelpContext);
    return false;
}

// The attachment of the command's one selected object.
struct ObjectAttachment {
    int objectId = 0;
    RECT rect = {};
    HGLOBAL record = nullptr;   // null when the object has none
    char target[kMaxAttachmentTarget + 1] = "";
    int kind = AttachDrawing;
};

// False (after "INFO_ATTACH") unless exactly one object is selected.
bool ReadSelectedAttachment(DocumentState* state, ObjectAttachment* a)
{
    if (!SelectedObject(state, &a->objectId, &a->rect)) return false;
    ReadAttachment(state->storeSlot, a->objectId, &a->record, a->target, &a->kind);
    return true;
}

HINSTANCE ShellOpen(const char* target)
{
    return g_shellExecuteCall(g_frameWindow, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

bool Launched(HINSTANCE result)
{
    return reinterpret_cast<INT_PTR>(result) >= 32;
}

// A command line stored in a drawing runs only when the user agrees to it.
bool ConfirmProgram(const char* commandLine)
{
    char format[512], text[1024], caption[262];
    if (LoadResString(IDS_RUN_PROGRAM, format) || LoadResString(IDS_APP_TITLE, caption)) return false;
    _snprintf(text, sizeof(text) - 1, format, commandLine);
    text[sizeof(text) - 1] = 0;
    return g_messageBoxPrompt(nullptr, text, caption, MB_TASKMODAL | MB_YESNO | MB_ICONQUESTION) == IDYES;
}

enum class Opened { Done, Failed, Stop };

// Opens a target as Open Attached File does.
Opened OpenTarget(const char* target, int kind)
{
    switch (kind) {
    case AttachWebPage:
        if (Launched(ShellOpen(target))) return Opened::Done;
        ShowWarningWithText(kBrowserFailed, target);
        return Opened::Stop;
    case AttachDocument: return Launched(ShellOpen(target)) ? Opened::Done : Opened::Failed;
    case AttachProgram:
        if (!ConfirmProgram(target)) return Opened::Stop;
        return g_winExecCall(target, SW_SHOWNORMAL) >= 32 ? Opened::Done : Opened::Failed;
    default:
        if (OpenOrActivateDocument(target, DocModeOpen) != 0) return Opened::Failed;
        CascadeAfterAttachedDrawing();
        return Opened::Done;
    }
}

HWND ActiveView()
{
    HWND document = GetActiveDocument(nullptr);
    return document ? GetDocumentView(document) : nullptr;
}

AttachDialogData* DialogData(HWND dialog)
{
    return reinterpret_cast<AttachDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void ShowKindHint(HWND dialog, int kind)
{
    char hint[262];
    LoadResString(IDS_ATTACH_HINT + static_cast<UINT>(kind), hint);
    SetDlgItemTextA(dialog, kHintText, hint);
}

void UpdateOkButton(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthA(GetDlgItem(dialog, kNameField)) > 0);
}

void BrowseForTarget(HWND dialog, int kind)
{
    UINT filter = 1006, title = 1057;
    if (kind == AttachDrawing) filter = 1000, title = 1056;
    else if (kind == AttachProgram) filter = 1005, title = 1058;
    char name[262] = "";
    GetDlgItemTextA(dialog, kNameField, name, kMaxAttachmentTarget + 1);
    char* folder = g_settings ? g_settings->openFolder : nullptr;
    int chosen = RunOpenFileDialog(dialog, 1536, name, filter, title, FALSE, kHelpContext, 1, 0, folder);
    if (chosen > 0 && chosen != kFileDialogNew) SetDlgItemTextA(dialog, kNameField, name);
}

BOOL OnInitDialog(HWND dialog, AttachDialogData* data)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
    if (data->kind < AttachDrawing || data->kind > AttachProgram) data->kind = AttachDrawing;
    SetDialogFont(dialog, kHintText, kDescription);
    SendDlgItemMessageA(dialog, kNameField, EM_LIMITTEXT, kMaxAttachmentTarget, 0);
    SetDlgItemTextA(dialog, kNameField, data->target);
    CheckRadioButton(dialog, kFirstKindButton, kLastKindButton, kFirstKindButton + data->kind);
    ShowKindHint(dialog, data->kind);
    if (data->kind == AttachWebPage) ShowWindow(GetDlgItem(dialog, kBrowseButton), SW_HIDE);
    UpdateOkButton(dialog);
    if (g_frameWindow) CenterWindowOver(dialog, g_frameWindow);
    ShowWindow(dialog, SW_SHOW);
    return TRUE;
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    AttachDialogData* data = DialogData(dialog);
    if (!data) return FALSE;
    if (id == kNameField && code == EN_CHANGE) {
        UpdateOkButton(dialog);
    } else if (id >= kFirstKindButton && id <= kLastKindButton && code == BN_CLICKED) {
        SelectAttachmentKind(dialog, id);
    } else if (id == kBrowseButton && code == BN_CLICKED) {
        BrowseForTarget(dialog, data->kind);
    } else if (id == IDOK) {
        GetDlgItemTextA(dialog, kNameField, data->target, kMaxAttachmentTarget + 1);
        EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
    } else if (id == kHelpButton || id == kHelpCommand) {
        ShowHelpContext(kHelpContext);
    } else {
        return FALSE;
    }
    return TRUE;
}

int RunRealAttachDialog(char* target, int* kind)
{
    AttachDialogData data = {};
    lstrcpynA(data.target, target, sizeof(data.target));
    data.kind = *kind;
    INT_PTR result;
    {
        HelpFilterScope filterInstalled;
        result = DialogBoxParamA(Instance(), "SETURL", g_frameWindow, SetUrlDlgHandler, reinterpret_cast<LPARAM>(&data));
    }
    if (result != 1) return 0;
    lstrcpynA(target, data.target, kMaxAttachmentTarget + 1);
    *kind = data.kind;
    return 1;
}

HINSTANCE ShellExecuteDefault(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show)
{
    return ShellExecuteA(owner, verb, file, parameters, folder, show);
}

UINT WinExecDefault(LPCSTR commandLine, UINT show)
{
    return WinExec(commandLine, show);
}

}  // namespace

AttachDialogPrompt g_attachDialogPrompt = RunRealAttachDialog;
ShellExecuteCall g_shellExecuteCall = ShellExecuteDefault;
WinExecCall g_winExecCall = WinExecDefault;

int HasAttachment(int storeSlot, const DrawObject* object)
{
    HGLOBAL block = nullptr;
    if (object->objId < 1 || object->objId > kMaxAttachmentId) return 0;
    if (LoadRecord(storeSlot, RecAttachment, object->objId, &block)) return 0;
    ReleaseBlock(block);
    return 1;
}

void DrawAttachmentMarker(HDC dc, const RECT* rect)
{
    if (g_noDecorations) return;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LPtoDP(dc, corners, 2);
    int inset = (corners[1].x - corners[0].x > 5 && corners[1].y - corners[0].y > 5) ? 2 : 0;
    POINT pixel[2] = {{0, 0}, {inset, inset}};
    DPtoLP(dc, pixel, 2);
    int ix = pixel[1].x - pixel[0].x, iy = pixel[1].y - pixel[0].y;
    int cx = rect->left + (rect->right - rect->left) / 2;
    int cy = rect->top + (rect->bottom - rect->top) / 2;
    MoveToEx(dc, cx, rect->top + iy, nullptr);
    LineTo(dc, cx, rect->bottom - iy);
    MoveToEx(dc, rect->left + ix, cy, nullptr);
    LineTo(dc, rect->right - ix, cy);
    RestoreDC(dc, saved);
}

int RunAttachDialog(char* target, int* kind)
{
    return g_attachDialogPrompt(target, kind);
}

INT_PTR CALLBACK SetUrlDlgHandler(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<AttachDialogData*>(lParam));
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

void SelectAttachmentKind(HWND dialog, int button)
{
    AttachDialogData* data = DialogData(dialog);
    if (!data || button < kFirstKindButton || button > kLastKindButton) return;
    const int kind = button - kFirstKindButton;
    if (kind != data->kind) {
        if (data->kind == AttachWebPage) {
            SetDlgItemTextA(dialog, kNameField, "");
            ShowWindow(GetDlgItem(dialog, kBrowseButton), SW_SHOW);
        } else if (kind == AttachWebPage) {
            SetDlgItemTextA(dialog, kNameField, kWebPrefix);
            ShowWindow(GetDlgItem(dialog, kBrowseButton), SW_HIDE);
        }
    }
    CheckRadioButton(dialog, kFirstKindButton, kLastKindButton, button);
    data->kind = kind;
    ShowKindHint(dialog, kind);
}

int EditAttachment(HWND view, DocumentState* state, HGLOBAL record, int objectId, char* target, int* kind)
{
    // Record ids end at 32,767: a larger object id cannot carry an attachment.
    if (objectId < 1 || objectId > kMaxAttachmentId) {
        ShowWarningById(IDS_DISK_OR_MEMORY);
        return StoreNoRoom;
    }
    if (!RunAttachDialog(target, kind)) return 1;
    if (int err = SaveUndoState(view, kUndoAttach)) {
        ShowWarningById(IDS_DISK_OR_MEMORY);
        return err;
    }
    int err = 0;
    if (target[0]) {
        err = StoreAttachment(state->storeSlot, record, objectId, target, *kind);
        if (!err && g_settings) g_settings->lastAttachmentKind = *kind;
    }
    // An attachment is saved with the drawing: the document is modified. A failure is rolled
    // back and reported as warning 17.
    return FinishEdit(view, err, FALSE);
}

void AttachFile(HWND view)
{
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    ShowAttachHintOnce();
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    ObjectAttachment a;
    if (!state || !ReadSelectedAttachment(state.get(), &a)) return;
    if (EditAttachment(view, state.get(), a.record, a.objectId, a.target, &a.kind)) return;
    InvalidateLogicalRect(view, &a.rect);
    state.Unlock();
    const char* target = a.target;
    if (!target[0]) return;
    // What the user has just chosen opens at once, without a question.
    switch (a.kind) {
    case AttachWebPage:
        if (!Launched(ShellOpen(target))) ShowWarningWithText(kBrowserFailed, target);
        break;
    case AttachDocument:
        if (!Launched(ShellOpen(target))) ShowWarningWithText(kFileFailed, target);
        break;
    case AttachProgram:
        if (g_winExecCall(target, SW_SHOWNORMAL) < 32) ShowWarningWithText(kFileFailed, target);
        break;
    default:
        if (OpenOrActivateDocument(target, DocModeOpen) == 0) CascadeAfterAttachedDrawing();
    }
}

void OpenAttachedFile(HWND view)
{
    ShowAttachHintOnce();
    if (CheckDocumentLimit(FALSE, nullptr)) return;
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    if (!stateBlock) return;
    Locked<DocumentState> state(stateBlock);
    ObjectAttachment a;
    if (!state || !ReadSelectedAttachment(state.get(), &a)) return;
    if (!a.record) {
        if (ShowMessageById(kNoAttachment, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        a.target[0] = 0;
        if (EditAttachment(view, state.get(), nullptr, a.objectId, a.target, &a.kind)) return;
        InvalidateLogicalRect(view, &a.rect);
    }
    const int slot = state->storeSlot;
    state.Unlock();
    while (a.target[0]) {
        if (OpenTarget(a.target, a.kind) != Opened::Failed) return;
        if (ShowMessageById(kAttachmentMissing, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        Locked<DocumentState> again(stateBlock);
        if (!again) return;
        int storedKind = a.kind;
        ReadAttachment(slot, a.objectId, &a.record, a.target, &storedKind);
        a.target[0] = 0;
        if (EditAttachment(view, again.get(), a.record, a.objectId, a.target, &a.kind)) return;
        InvalidateLogicalRect(view, &a.rect);
    }
}

void ClearAttachments(HWND view)
{
    ShowAttachHintOnce();
    HGLOBAL stateBlock = view ? GetDocumentStateHandle(view) : nullptr;
    if (!stateBlock) return;
    struct Attached {
        int id;
        RECT rect;
    };
    std::vector<Attached> attached;
    int slot = -1;
    {
        Locked<DocumentState> state(stateBlock);
        if (!state) return;
        slot = state->storeSlot;
        Locked<Drawing> drawing(state->drawing);
        if (!drawing) return;
        Locked<ObjectList> objects(drawing->objectList);
        for (int row = 0; objects && row < objects->count; ++row) {
            const DrawObject& object = (*objects)[row];
            if ((object.state & StateSelected) && HasAttachment(slot, &object))
                attached.push_back({object.objId, object.updateRect});
        }
    }
    if (attached.empty()) return;
    if (ShowMessageById(kClearQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (SaveUndoState(view, kUndoClearAttach)) return;
    InvalidationBatch batch;
    int err = 0;
    for (const Attached& a : attached) {
        HGLOBAL block = nullptr;
        err = LoadRecord(slot, RecAttachment, a.id, &block);
        if (!err) err = DeleteRecord(block);
        if (err) {
            if (block) ReleaseBlock(block);
            break;
        }
        GlobalFree(block);
        InvalidateLogicalRect(view, &a.rect);
    }
    FinishEdit(view, err, FALSE);
}

void OpenAttachmentCommand()
{
    OpenAttachedFile(ActiveView());
}

void AttachFileCommand()
{
    AttachFile(ActiveView());
}

void ClearAttachmentsCommand()
{
    ClearAttachments(ActiveView());
}

void CascadeAfterAttachedDrawing()
{
    if (g_settings && (g_settings->attachmentOptions & 1)) return;
    BOOL maximized = FALSE;
    if (GetActiveDocument(&maximized) && maximized && g_mdiClient) SendMessageA(g_mdiClient, WM_MDICASCADE, 0, 0);
}
