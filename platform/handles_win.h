#pragma once
// Owners for the kinds of handle the program holds.
#include <windows.h>
#include <wincrypt.h>

#include "platform/unique_handle.h"

namespace vigilor {

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
using RegistryKey = UniqueHandle<RegistryKeyTraits>;

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// CreateFile answers INVALID_HANDLE_VALUE, not null, when it fails.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
using IconHandle = UniqueHandle<IconTraits>;

struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};
using MenuHandle = UniqueHandle<MenuTraits>;

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CloseServiceHandle(h); }
};
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;

struct PrinterDcTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};
using PrinterDc = UniqueHandle<PrinterDcTraits>;

// Memory from GlobalAlloc, as the common dialogs hand it over.
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { GlobalFree(h); }
};
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

struct CertificateStoreTraits {
    using Handle = HCERTSTORE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CertCloseStore(h, 0); }
};
using CertificateStore = UniqueHandle<CertificateStoreTraits>;

struct CertificateContextTraits {
    using Handle = PCCERT_CONTEXT;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CertFreeCertificateContext(h); }
};
using CertificateContext = UniqueHandle<CertificateContextTraits>;

struct CertificateChainTraits {
    using Handle = PCCERT_CHAIN_CONTEXT;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CertFreeCertificateChain(h); }
};
using CertificateChain = UniqueHandle<CertificateChainTraits>;

// Memory from LocalAlloc, as the security calls hand it over.
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { LocalFree(h); }
};
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

}  // namespace vigilor
