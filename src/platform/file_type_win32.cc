// Windows' own sniffing of a file's type, urlmon's FindMimeFromData.
#include "platform/file_type.h"

#include <windows.h>
#include <urlmon.h>

#include <algorithm>

namespace prynda {

FileType TellFileType(std::span<const std::uint8_t> head) {
  // It looks at the first 256 bytes.
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(head.size(), 256));
  if (size == 0) return {};
  LPWSTR mime = nullptr;
  if (FindMimeFromData(nullptr, nullptr, const_cast<std::uint8_t*>(head.data()), size, nullptr,
                       FMFD_DEFAULT, &mime, 0) != S_OK || mime == nullptr) {
    return {};
  }
  FileType type;
  for (const wchar_t* c = mime; *c != L'\0'; ++c) type.Mime += *c < 0x80 ? static_cast<char>(*c) : '?';
  CoTaskMemFree(mime);
  return type;
}

}  // namespace prynda
