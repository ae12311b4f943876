#!/usr/bin/env python3
"""Fails when a Windows binary imports a DLL outside the system set, or a function that
Windows 7 does not have. Reads the PE import directory directly."""
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
    "shlwapi.dll", "ole32.dll", "oleaut32.dll", "advapi32.dll", "gdiplus.dll", "version.dll",
    "wininet.dll", "winhttp.dll", "msvcrt.dll", "ws2_32.dll", "uxtheme.dll", "imm32.dll",
    "winmm.dll", "crypt32.dll", "bcrypt.dll", "rpcrt4.dll", "psapi.dll", "secur32.dll",
}

# System DLLs that Windows 7 does not ship (without later updates): flagged as such.
NEWER_DLLS = {
    "shcore.dll": "Windows 8.1", "combase.dll": "Windows 8", "ucrtbase.dll": "Windows 10",
    "vcruntime140.dll": "the Visual C++ 2015 runtime", "dcomp.dll": "Windows 8",
    "d3d12.dll": "Windows 10", "mincore.dll": "Windows 8", "onecore.dll": "Windows 10",
}

# Functions that MinGW's runtime or our code could pick up but that Windows 7 lacks, by the DLL
# that exports them on later Windows and the version that brought them.
NEWER_THAN_WINDOWS_7 = {
    # kernel32 / kernelbase, Windows 8 and 8.1
    "GetSystemTimePreciseAsFileTime", "CreateFile2", "CopyFile2", "GetOverlappedResultEx",
    "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll", "GetCurrentThreadStackLimits",
    "PrefetchVirtualMemory", "DiscardVirtualMemory", "OfferVirtualMemory",
    "ReclaimVirtualMemory", "CreateFileMappingFromApp", "MapViewOfFileFromApp",
    "InitializeSynchronizationBarrier", "EnterSynchronizationBarrier",
    "DeleteSynchronizationBarrier", "GetPackageFamilyName", "GetCurrentPackageId",
    "GetCurrentPackageFullName", "GetFirmwareType", "GetProcessMitigationPolicy",
    "SetProcessMitigationPolicy", "SetThreadInformation", "GetThreadInformation",
    "SetProcessInformation", "GetProcessInformation", "SetThreadpoolTimerEx",
    "SetThreadpoolWaitEx", "EnumDynamicTimeZoneInformation",
    "GetDynamicTimeZoneInformationEffectiveYears",
    # kernel32, Windows 8 (on Windows 7 only with update KB2533623, which may be missing)
    "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
    # kernel32 / kernelbase, Windows 10
    "SetThreadDescription", "GetThreadDescription", "VirtualAllocFromApp", "VirtualAlloc2",
    "MapViewOfFile3", "QueryInterruptTime", "QueryInterruptTimePrecise",
    "QueryUnbiasedInterruptTimePrecise", "GetSystemCpuSetInformation",
    "SetThreadSelectedCpuSets", "CompareObjectHandles", "GetUserDefaultGeoName",
    # path API set (api-ms-win-core-path), Windows 8
    "PathCchCombine", "PathCchCombineEx", "PathCchAppend", "PathCchAppendEx",
    "PathCchCanonicalize", "PathCchCanonicalizeEx", "PathCchAddBackslash",
    "PathCchRemoveFileSpec", "PathCchFindExtension", "PathAllocCombine", "PathAllocCanonicalize",
    # user32, Windows 8 and 8.1
    "SetCoalescableTimer", "GetPointerType", "GetPointerInfo", "EnableMouseInPointer",
    "InitializeTouchInjection", "InjectTouchInput", "GetCurrentInputMessageSource",
    "IsImmersiveProcess", "GetDisplayAutoRotationPreferences", "SetDisplayAutoRotationPreferences",
    "LogicalToPhysicalPointForPerMonitorDPI", "PhysicalToLogicalPointForPerMonitorDPI",
    # user32 per-monitor DPI, Windows 10
    "GetDpiForWindow", "GetDpiForSystem", "SetProcessDpiAwarenessContext",
    "SetThreadDpiAwarenessContext", "GetThreadDpiAwarenessContext",
    "GetWindowDpiAwarenessContext", "AreDpiAwarenessContextsEqual",
    "GetDpiFromDpiAwarenessContext", "AdjustWindowRectExForDpi", "GetSystemMetricsForDpi",
    "SystemParametersInfoForDpi", "EnableNonClientDpiScaling",
    # shcore, Windows 8.1
    "SetProcessDpiAwareness", "GetProcessDpiAwareness", "GetDpiForMonitor",
    "GetScaleFactorForMonitor",
    # ws2_32, winhttp, bcrypt, advapi32: Windows 8 and later
    "GetAddrInfoExCancel", "GetAddrInfoExOverlappedResult", "WinHttpCreateProxyResolver",
    "WinHttpGetProxyForUrlEx", "WinHttpWebSocketCompleteUpgrade", "WinHttpWebSocketSend",
    "WinHttpWebSocketReceive", "WinHttpWebSocketClose", "BCryptCreateMultiHash", "BCryptHash",
    "EventSetInformation",
    # Windows Runtime (combase), Windows 8
    "RoInitialize", "RoUninitialize", "RoGetActivationFactory", "WindowsCreateString",
    "WindowsDeleteString",
}


def rva_to_offset(sections, rva):
    for va, vsize, raw, rsize in sections:
        if va <= rva < va + max(vsize, rsize):
            return rva - va + raw
    raise ValueError(f"RVA {rva:#x} outside every section")


def c_string(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("ascii", "replace")


def imports(path):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, nsections = struct.unpack_from("<HH", data, pe + 4)
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    thunk_size = 4 if magic == 0x10B else 8
    dirs = opt + (96 if magic == 0x10B else 112)
    import_rva = struct.unpack_from("<I", data, dirs + 8)[0]
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
        sections.append((va, vsize, raw, rsize))
    result = {}
    if not import_rva:
        return result
    desc = rva_to_offset(sections, import_rva)
    while True:
        ilt, _, _, name_rva, iat = struct.unpack_from("<IIIII", data, desc)
        if name_rva == 0:
            break
        dll = c_string(data, rva_to_offset(sections, name_rva)).lower()
        names = []
        thunk = rva_to_offset(sections, ilt or iat)
        high_bit = 1 << (thunk_size * 8 - 1)
        while True:
            value = struct.unpack_from("<I" if thunk_size == 4 else "<Q", data, thunk)[0]
            if value == 0:
                break
            if value & high_bit:
                names.append(f"#{value & 0xFFFF}")
            else:
                names.append(c_string(data, rva_to_offset(sections, value & 0x7FFFFFFF) + 2))
            thunk += thunk_size
        result[dll] = names
        desc += 20
    return result


def main(paths):
    problems = []
    for path in paths:
        table = imports(path)
        for dll, names in sorted(table.items()):
            if dll.startswith("api-ms-win-") or dll.startswith("ext-ms-"):
                problems.append(f"{path}: imports API set {dll}, absent on Windows 7")
            elif dll in NEWER_DLLS:
                problems.append(f"{path}: imports {dll}, which came with {NEWER_DLLS[dll]}")
            elif dll not in SYSTEM_DLLS:
                problems.append(f"{path}: imports non-system DLL {dll}")
            for name in names:
                if name in NEWER_THAN_WINDOWS_7:
                    problems.append(f"{path}: imports {dll}!{name}, newer than Windows 7")
        print(f"{path}: {sum(map(len, table.values()))} imports from {len(table)} DLLs")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
