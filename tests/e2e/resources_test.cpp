// What Windows shows of the program file itself: its version information in
// the Chinese (PRC) block, its icon sizes and its manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"

namespace {

// A program file to read: this form's own, or the other form's (built beside
// this one), whose resources Windows reads as data whatever its architecture.
struct ProgramFile {
  const char* name;
  std::wstring path;
  const char* architecture;  // in the manifest: x86 or amd64
};

constexpr bool kThisFormIs64Bit = sizeof(void*) == 8;

std::vector<ProgramFile> program_files() {
  std::vector<ProgramFile> files;
  files.push_back(
      {"this form's program", e2e::program_path(e2e::Variant::plain), kThisFormIs64Bit ? "amd64" : "x86"});
  wchar_t other[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"QUELMO_OTHER_PROGRAM", other, MAX_PATH);
  if (length > 0 && length < MAX_PATH && GetFileAttributesW(other) != INVALID_FILE_ATTRIBUTES) {
    files.push_back({"the other form's program", other, kThisFormIs64Bit ? "x86" : "amd64"});
  } else {
    std::printf("the other form's program is not built beside this one: only this form's file is read\n");
  }
  return files;
}

struct Module {
  HMODULE handle;
  explicit Module(const std::wstring& path)
      : handle(LoadLibraryExW(path.c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~Module() {
    if (handle) FreeLibrary(handle);
  }
};

std::wstring version_string(const std::vector<char>& data, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || length == 0) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(ProgramFile, VersionInformationInTheChineseBlock) {
  for (const ProgramFile& file : program_files()) {
    SCOPED_TRACE(file.name);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.path.c_str(), 0, size, data.data()));

    EXPECT_EQ(version_string(data, L"ProductName"), e2e::wide("Quelmo计算机性能评估工具"));
    EXPECT_EQ(version_string(data, L"ProductVersion"), L"1.0");
    EXPECT_EQ(version_string(data, L"FileVersion"), L"1.0");
    EXPECT_EQ(version_string(data, L"CompanyName"), L"Quelmo Corporation");

    struct Translation {
      WORD language;
      WORD code_page;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, sizeof(Translation));
    EXPECT_EQ(translation->language, 0x0804);
  }
}

TEST(ProgramFile, IconInThreeSizesAndAManifestForItsArchitecture) {
  for (const ProgramFile& file : program_files()) {
    SCOPED_TRACE(file.name);
    Module module(file.path);
    ASSERT_NE(module.handle, nullptr);
    for (int size : {16, 32, 48}) {
      HANDLE icon = LoadImageW(module.handle, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
      ASSERT_NE(icon, nullptr) << size;
      ICONINFO info{};
      ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
      BITMAP bitmap{};
      GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
      EXPECT_EQ(bitmap.bmWidth, size);
      if (info.hbmColor) DeleteObject(info.hbmColor);
      if (info.hbmMask) DeleteObject(info.hbmMask);
      DestroyIcon(static_cast<HICON>(icon));
    }
    HRSRC manifest = FindResourceW(module.handle, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module.handle, manifest)));
    const std::string xml(text, SizeofResource(module.handle, manifest));
    // No common controls 6: the controls keep their classic look.
    EXPECT_EQ(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("asInvoker"), std::string::npos);
    EXPECT_NE(xml.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // Windows 7
    EXPECT_NE(xml.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // 10 and 11
    EXPECT_NE(
        xml.find(std::string("name=\"Quelmo.QuelmoEval\" version=\"1.0.0.0\" processorArchitecture=\"") +
                 file.architecture + "\""),
        std::string::npos)
        << xml;
  }
}

}  // namespace
