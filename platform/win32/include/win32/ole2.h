// The OLE calls of data transfer: media, the OLE clipboard, drop-target
// registration and the drag loop, streams on global memory and advise holders.
#pragma once
#pragma GCC visibility push(default)

#include <win32/combaseapi.h>
#include <win32/oleidl.h>

// Frees a medium as its tymed says (GlobalFree, Release, DeleteObject, ...),
// or only releases pUnkForRelease when that is set; leaves it TYMED_NULL.
void ReleaseStgMedium(STGMEDIUM* pmedium);

// --- The OLE clipboard ------------------------------------------------------------
// OleSetClipboard puts a data object on the clipboard: every format it
// enumerates in global memory or a stream is promised there and rendered when
// someone asks (the object is held until then). Null empties the clipboard
// when this process put the object there. OleGetClipboard gives a data object
// over whatever the clipboard holds (an object put there, or formats set with
// SetClipboardData). OleFlushClipboard renders every format and lets the
// object go; the data stays. OleIsCurrentClipboard: S_OK when the object is
// the one on the clipboard, else S_FALSE.
HRESULT OleSetClipboard(IDataObject* pDataObj);
HRESULT OleGetClipboard(IDataObject** ppDataObj);
HRESULT OleFlushClipboard();
HRESULT OleIsCurrentClipboard(IDataObject* pDataObj);

// --- Drag and drop --------------------------------------------------------------------
// The window becomes a drop target (the target is held, and the window gets
// the property "OleDropTargetInterface"); RevokeDragDrop undoes it, and so
// does the window's destruction.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget);
HRESULT RevokeDragDrop(HWND hwnd);
// The modal drag loop: captures the mouse and follows the thread's input
// (mouse moves and buttons, Esc, Shift/Ctrl/Alt), asking the source whether
// to go on and the target under the cursor (the nearest registered window up
// the parent chain) which effect it takes. A window that only accepts files
// (DragAcceptFiles) gets CF_HDROP data as WM_DROPFILES. Returns
// DRAGDROP_S_DROP with the effect taken, or DRAGDROP_S_CANCEL with
// DROPEFFECT_NONE.
HRESULT DoDragDrop(IDataObject* pDataObj, IDropSource* pDropSource, DWORD dwOKEffects,
                   DWORD* pdwEffect);

// --- Helpers ------------------------------------------------------------------------------
// A stream over a global memory block (null: a new one that grows as needed).
// With fDeleteOnRelease the block is freed with the stream's last release.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm);
// The block under a stream made by CreateStreamOnHGlobal.
HRESULT GetHGlobalFromStream(LPSTREAM pstm, HGLOBAL* phglobal);
// An advise holder: keeps advise connections and sends data changes to them.
HRESULT CreateDataAdviseHolder(LPDATAADVISEHOLDER* ppDAHolder);

#pragma GCC visibility pop
