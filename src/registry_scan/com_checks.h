#pragma once
// COM classes whose server is gone, and program identifiers with a missing
// class, icon file or program (category 4).
#include "registry_scan/scan_context.h"

namespace qrv {

// HKEY_CLASSES_ROOT.
inline constexpr const char* kClsidKey = "\\CLSID\\";
// Compared exactly, in upper case: a class of this type library is never
// judged, nor an identifier naming either class.
inline constexpr const char* kExcludedTypeLib = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}";
inline constexpr const char* kExcludedClass = "{C3F8B282-5B69-47F0-80C3-A22A97FF2EB5}";

// Classes whose in-process server (or, without one, local server) file is
// gone; only that server key is deleted, the class key stays.
void CheckCOM(ScanContext& s);
// Program identifiers whose class key is gone (their CLSID reference is
// deleted), and otherwise whose icon file, open or edit program is gone
// (that DefaultIcon or command key is deleted).
void CheckActiveX(ScanContext& s);

}  // namespace qrv
