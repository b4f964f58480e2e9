// Accessible objects: the interface through which assistive programs read a
// control's parts (name, role, state, place on the screen), the roles and
// states they report, and the routines that hand such an object from a
// window to a client through WM_GETOBJECT. Clients are in this process: the
// objects are not published to the desktop's accessibility service.
//
// Accessibility events (NotifyWinEvent) reach the hooks set in this process
// with SetWinEventHook, at once and on the calling thread.
#pragma once
#pragma GCC visibility push(default)

#include <win32/oaidl.h>
#include <win32/windef.h>

// A part of an accessible object: CHILDID_SELF is the object itself,
// positive ids its simple children.
#define CHILDID_SELF 0

// Roles (get_accRole).
#define ROLE_SYSTEM_CLIENT 0x0A
#define ROLE_SYSTEM_LIST 0x21
#define ROLE_SYSTEM_LISTITEM 0x22
#define ROLE_SYSTEM_OUTLINE 0x23
#define ROLE_SYSTEM_OUTLINEITEM 0x24
#define ROLE_SYSTEM_COLUMNHEADER 0x19

// States (get_accState), combined.
#define STATE_SYSTEM_NORMAL 0x00000000
#define STATE_SYSTEM_UNAVAILABLE 0x00000001
#define STATE_SYSTEM_SELECTED 0x00000002
#define STATE_SYSTEM_FOCUSED 0x00000004
#define STATE_SYSTEM_CHECKED 0x00000010
#define STATE_SYSTEM_MIXED 0x00000020
#define STATE_SYSTEM_READONLY 0x00000040
#define STATE_SYSTEM_HOTTRACKED 0x00000080
#define STATE_SYSTEM_EXPANDED 0x00000200
#define STATE_SYSTEM_COLLAPSED 0x00000400
#define STATE_SYSTEM_INVISIBLE 0x00008000
#define STATE_SYSTEM_OFFSCREEN 0x00010000
#define STATE_SYSTEM_FOCUSABLE 0x00100000
#define STATE_SYSTEM_SELECTABLE 0x00200000
#define STATE_SYSTEM_MULTISELECTABLE 0x01000000

// accSelect flags.
#define SELFLAG_NONE 0
#define SELFLAG_TAKEFOCUS 0x1
#define SELFLAG_TAKESELECTION 0x2

// accNavigate directions.
#define NAVDIR_UP 1
#define NAVDIR_DOWN 2
#define NAVDIR_LEFT 3
#define NAVDIR_RIGHT 4
#define NAVDIR_NEXT 5
#define NAVDIR_PREVIOUS 6
#define NAVDIR_FIRSTCHILD 7
#define NAVDIR_LASTCHILD 8

// Events (NotifyWinEvent).
#define EVENT_OBJECT_FOCUS 0x8005
#define EVENT_OBJECT_SELECTION 0x8006
#define EVENT_OBJECT_STATECHANGE 0x800A
#define EVENT_OBJECT_LOCATIONCHANGE 0x800B
#define EVENT_OBJECT_NAMECHANGE 0x800C
#define EVENT_OBJECT_VALUECHANGE 0x800E

// Hook flags: this layer runs every hook in context.
#define WINEVENT_OUTOFCONTEXT 0x0000
#define WINEVENT_INCONTEXT 0x0004

// An accessible object. Every call names the part it is about by a VARIANT
// child id (VT_I4; CHILDID_SELF for the object itself); children that are
// objects of their own come back as VT_DISPATCH.
struct IAccessible : virtual IDispatch {
    static constexpr InterfaceID<IAccessible> IID_{"{618736E0-3C3D-11CF-810C-00AA00389B71}"};
    virtual HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* pcountChildren) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild,
                                                   IDispatch** ppdispChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT varChild,
                                                         BSTR* pszDescription) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT varChild, BSTR* pszHelp) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild,
                                                       LONG* pidTopic) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT varChild,
                                                              BSTR* pszKeyboardShortcut) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pvarChildren) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT varChild,
                                                           BSTR* pszDefaultAction) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE accSelect(LONG flagsSelect, VARIANT varChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE accLocation(LONG* pxLeft, LONG* pyTop, LONG* pcxWidth,
                                                  LONG* pcyHeight, VARIANT varChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE accNavigate(LONG navDir, VARIANT varStart,
                                                  VARIANT* pvarEndUpAt) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE accHitTest(LONG xLeft, LONG yTop,
                                                 VARIANT* pvarChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT varChild) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_accName(VARIANT varChild, BSTR szName) noexcept = 0;
    virtual HRESULT STDMETHODCALLTYPE put_accValue(VARIANT varChild, BSTR szValue) noexcept = 0;
};
typedef IAccessible* LPACCESSIBLE;

// A window's answer to WM_GETOBJECT: a positive token that stands for a
// reference on punk (as riid) until a client takes it with
// ObjectFromLresult. E_INVALIDARG for a null object, E_NOINTERFACE when it
// lacks riid.
LRESULT LresultFromObject(REFIID riid, WPARAM wParam, IUnknown* punk);
// The object behind a token from LresultFromObject, as riid; the token is
// used up. E_INVALIDARG for a token that stands for nothing.
HRESULT ObjectFromLresult(LRESULT lResult, REFIID riid, WPARAM wParam, void** ppvObject);
// Asks hwnd for its object dwId (OBJID_CLIENT, ...) through WM_GETOBJECT.
// E_FAIL when the window offers none: this layer has no stand-in objects
// for windows that do not answer.
HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD dwId, REFIID riid, void** ppvObject);
// Event hooks of this process.
DECLARE_HANDLE(HWINEVENTHOOK);
typedef void(CALLBACK* WINEVENTPROC)(HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd,
                                     LONG idObject, LONG idChild, DWORD idEventThread,
                                     DWORD dwmsEventTime);
// Calls pfnWinEventProc for the events from eventMin to eventMax that come
// from process idProcess and thread idThread (0: any). hmodWinEventProc is
// not used. Null for a missing procedure or an empty range.
HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE hmodWinEventProc,
                              WINEVENTPROC pfnWinEventProc, DWORD idProcess, DWORD idThread,
                              DWORD dwFlags);
BOOL UnhookWinEvent(HWINEVENTHOOK hWinEventHook);
// Tells the hooks that something about object idObject (child idChild) of
// hwnd changed.
void NotifyWinEvent(DWORD event, HWND hwnd, LONG idObject, LONG idChild);

#pragma GCC visibility pop
