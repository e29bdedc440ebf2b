// Component object creation: classes are found by their class id.
#pragma once

#include "platform/unknwn.h"

#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_INPROC_HANDLER 0x2u
#define CLSCTX_LOCAL_SERVER 0x4u
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)

#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154u)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110u)

HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID *out);
