// The installer's own actions (a DLL in the MSI, packaging/windows/prynda.wxs): they decide what
// becomes of the settings file beside the program, prynda.ini, which the site may have edited.
// An edited file stays, through upgrades and uninstall; an unedited one is replaced and removed like
// every other file. "Unedited" means its MD5 hash is the one that the MsiFileHash table of the
// package that put it there holds for it.
//
// The actions only look and tell the installer; the installer does the rest. The settings file's
// component is permanent, so that the installer itself never removes the file.
// - FindUneditedSettings, when Prynda is removed (uninstalled, or replaced by a newer build): an
//   unedited file is removed with the rest, by the RemoveFile row that names UNEDITEDSETTINGS.
// - KeepEditedSettings, when Prynda is installed, before the components are chosen (CostFinalize)
//   and so before an older build is removed: an existing file that is neither the one the
//   installed build put there nor this build's own is the site's, and EDITEDSETTINGS, the
//   condition of the settings file's component, keeps this build from installing its own over it.
//   An unedited file goes with the older build, and this build's own is installed in its place.
//   (Windows Installer chooses the components before it removes the older build; a component left
//   out by NeverOverwrite, because the file is there then, would leave no file at all.)

#include <windows.h>

#include <msi.h>
#include <msiquery.h>

namespace {

// The settings file's row in the File table (prynda.wxs), its name, and the folder it is in.
constexpr wchar_t kHashQuery[] =
    L"SELECT `HashPart1`, `HashPart2`, `HashPart3`, `HashPart4` FROM `MsiFileHash` "
    L"WHERE `File_` = 'SettingsFile'";
constexpr wchar_t kFileName[] = L"prynda.ini";
constexpr wchar_t kFolder[] = L"INSTALLDIR";
// Where INSTALLDIR is when not given: the Directory table's.
constexpr wchar_t kProgramFiles[] = L"ProgramFiles64Folder";
constexpr wchar_t kFolderName[] = L"Prynda\\";
// Set by the Upgrade table's row for earlier builds: their product codes, separated by ';'.
constexpr wchar_t kEarlierBuilds[] = L"WIX_UPGRADE_DETECTED";
constexpr wchar_t kUnedited[] = L"UNEDITEDSETTINGS";
constexpr wchar_t kEdited[] = L"EDITEDSETTINGS";

using Hash = DWORD[4];

// A line in the installer's log (msiexec /l*v).
void Log(MSIHANDLE install, const wchar_t* text, const wchar_t* path) {
  PMSIHANDLE record = MsiCreateRecord(2);
  MsiRecordSetStringW(record, 0, L"Prynda: [1] [2]");
  MsiRecordSetStringW(record, 1, text);
  MsiRecordSetStringW(record, 2, path);
  MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

// The program's folder (with its trailing backslash) and the settings file in it.
bool SettingsPath(MSIHANDLE install, wchar_t (&folder)[MAX_PATH], wchar_t (&path)[MAX_PATH]) {
  DWORD length = MAX_PATH;
  if (MsiGetTargetPathW(install, kFolder, folder, &length) != ERROR_SUCCESS ||
      length + sizeof kFileName / sizeof kFileName[0] > MAX_PATH) {
    return false;
  }
  lstrcpyW(path, folder);
  lstrcatW(path, kFileName);
  return true;
}

// The settings file where this installation will put it, before the folders are known: in
// INSTALLDIR when it is given, else in Prynda in the 64-bit Program Files folder.
bool PlannedSettingsPath(MSIHANDLE install, wchar_t (&path)[MAX_PATH]) {
  constexpr DWORD kRoom = MAX_PATH - sizeof kFolderName / sizeof kFolderName[0] -
                          sizeof kFileName / sizeof kFileName[0];
  DWORD length = kRoom;
  if (MsiGetPropertyW(install, kFolder, path, &length) != ERROR_SUCCESS) return false;
  if (length == 0) {
    length = kRoom;
    if (MsiGetPropertyW(install, kProgramFiles, path, &length) != ERROR_SUCCESS || length == 0) return false;
    if (path[length - 1] != L'\\') lstrcatW(path, L"\\");
    lstrcatW(path, kFolderName);
  } else if (path[length - 1] != L'\\') {
    lstrcatW(path, L"\\");
  }
  lstrcatW(path, kFileName);
  return true;
}

// The hash a package holds for the settings file; false when it holds none.
bool PackagedHash(MSIHANDLE database, Hash& hash) {
  PMSIHANDLE view;
  if (database == 0 || MsiDatabaseOpenViewW(database, kHashQuery, &view) != ERROR_SUCCESS ||
      MsiViewExecute(view, 0) != ERROR_SUCCESS) {
    return false;
  }
  PMSIHANDLE record;
  if (MsiViewFetch(view, &record) != ERROR_SUCCESS) return false;
  for (unsigned part = 0; part < 4; ++part) {
    hash[part] = static_cast<DWORD>(MsiRecordGetInteger(record, part + 1));
  }
  return true;
}

// The hash the package of an installed product holds for the settings file (its package as the
// installer keeps it).
bool InstalledHash(const wchar_t* product, Hash& hash) {
  wchar_t package[MAX_PATH];
  DWORD length = MAX_PATH;
  PMSIHANDLE database;
  return MsiGetProductInfoW(product, L"LocalPackage", package, &length) == ERROR_SUCCESS &&
         MsiOpenDatabaseW(package, nullptr /* MSIDBOPEN_READONLY */, &database) == ERROR_SUCCESS &&
         PackagedHash(database, hash);
}

bool FileHash(const wchar_t* path, Hash& hash) {
  MSIFILEHASHINFO found = {};
  found.dwFileHashInfoSize = sizeof found;
  if (MsiGetFileHashW(path, 0, &found) != ERROR_SUCCESS) return false;
  for (unsigned part = 0; part < 4; ++part) hash[part] = found.dwData[part];
  return true;
}

bool Same(const Hash& a, const Hash& b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

// Whether the settings file is one that an earlier build, installed now, put there.
bool FromEarlierBuild(MSIHANDLE install, const Hash& found) {
  wchar_t codes[1024];
  DWORD length = sizeof codes / sizeof codes[0];
  if (MsiGetPropertyW(install, kEarlierBuilds, codes, &length) != ERROR_SUCCESS) return false;
  for (wchar_t* code = codes; *code != 0;) {
    wchar_t* end = code;
    while (*end != 0 && *end != L';') ++end;
    const bool last = *end == 0;
    *end = 0;
    Hash installed;
    if (InstalledHash(code, installed) && Same(found, installed)) return true;
    if (last) break;
    code = end + 1;
  }
  return false;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall FindUneditedSettings(MSIHANDLE install) {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  if (!SettingsPath(install, folder, path)) return ERROR_SUCCESS;
  Hash packaged;
  Hash found;
  PMSIHANDLE database = MsiGetActiveDatabase(install);
  if (!PackagedHash(database, packaged) || !FileHash(path, found)) {
    Log(install, L"settings file not read, left in place:", path);
  } else if (!Same(found, packaged)) {
    Log(install, L"settings file edited, left in place:", path);
  } else {
    Log(install, L"settings file as installed, removed:", path);
    MsiSetPropertyW(install, kUnedited, folder);
  }
  return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall KeepEditedSettings(MSIHANDLE install) {
  wchar_t path[MAX_PATH];
  Hash found;
  if (!PlannedSettingsPath(install, path) || !FileHash(path, found)) return ERROR_SUCCESS;
  Hash packaged;
  PMSIHANDLE database = MsiGetActiveDatabase(install);
  if ((PackagedHash(database, packaged) && Same(found, packaged)) || FromEarlierBuild(install, found)) {
    Log(install, L"settings file unedited, replaced:", path);
  } else {
    Log(install, L"settings file edited, kept:", path);
    MsiSetPropertyW(install, kEdited, L"1");
  }
  return ERROR_SUCCESS;
}
