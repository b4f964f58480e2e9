// Class objects of this process: registered by the server that makes the
// objects, found by the clients that want them.
#pragma once
#pragma GCC visibility push(default)

#include <win32/combaseapi.h>
#include <win32/unknwn.h>

// Registers pUnk as the class object of rclsid for this process, so that
// CoGetClassObject finds it (dwClsContext: CLSCTX_*; flags: REGCLS_*).
// The registration holds pUnk until CoRevokeClassObject(*lpdwRegister).
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define REGCLS_SINGLEUSE 0
#define REGCLS_MULTIPLEUSE 1
#define REGCLS_MULTI_SEPARATE 2
HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                              LPDWORD lpdwRegister);
HRESULT CoRevokeClassObject(DWORD dwRegister);
// The registered class object's interface riid; REGDB_E_CLASSNOTREG when
// none is registered for rclsid.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID pvReserved, REFIID riid,
                         LPVOID* ppv);

#pragma GCC visibility pop
