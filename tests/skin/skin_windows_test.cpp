// Under Wine: the loader in this very process, and the skin library on real windows, attached,
// shifted and detached again; damaged library images leave the windows as they were.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <string>

#include "app/skin_step.h"
#include "skin/embedded.h"
#include "skin/library/skin_file.h"
#include "skin/pe_headers.h"
#include "skin/process_image.h"
#include "skin/win32/kernel_functions.h"

namespace {

std::span<const std::uint8_t> bytesOf(std::string_view data) {
  return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
}

skin::ImageHeaders libraryHeaders() {
  std::string_view image = SkinLibraryImage();
  return *skin::readHeaders(skin::ImageView(bytesOf(image).data(), image.size())).headers;
}

skinlib::Palette shippedPalette() {
  skinlib::Palette palette{};
  std::string_view data = SkinFileData();
  skinlib::readSkin(reinterpret_cast<const unsigned char*>(data.data()), std::uint32_t(data.size()),
                    palette);
  return palette;
}

MEMORY_BASIC_INFORMATION pageAt(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info));
  return info;
}

TEST(ProcessLoader, FindsKernel32ByItsNameAndItsFunctionsThroughItsOwnExports) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  EXPECT_EQ(skin::win32::loadedModule(L"KERNEL32.DLL"), kernel32);
  // Another module with a twelve-letter name is told apart by the name itself.
  HMODULE advapi32 = LoadLibraryW(L"advapi32.dll");
  EXPECT_EQ(skin::win32::loadedModule(L"advapi32.dll"), advapi32);
  EXPECT_EQ(skin::win32::loadedModule(L"kernel33.dll"), nullptr);
  auto functions = skin::win32::findKernelFunctions();
  ASSERT_TRUE(functions);
  auto same = [&](auto function, const char* name) {
    return reinterpret_cast<std::uintptr_t>(function) ==
           reinterpret_cast<std::uintptr_t>(GetProcAddress(kernel32, name));
  };
  EXPECT_TRUE(same(functions->getProcAddress, "GetProcAddress"));
  EXPECT_TRUE(same(functions->virtualAlloc, "VirtualAlloc"));
  EXPECT_TRUE(same(functions->virtualProtect, "VirtualProtect"));
  EXPECT_TRUE(same(functions->loadLibrary, "LoadLibraryA"));
}

TEST(ProcessLoader, RunsRelocatedWhenItsPreferredBaseIsTaken) {
  skin::ImageHeaders headers = libraryHeaders();
  void* squatter = VirtualAlloc(reinterpret_cast<void*>(std::uintptr_t(headers.imageBase)), 0x10000,
                                MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(squatter, nullptr);
  skin::LoadResult loaded = skin::mapIntoProcess(bytesOf(SkinLibraryImage()));
  ASSERT_EQ(loaded.error, skin::LoadError::None);
  EXPECT_NE(loaded.image->codeBase(), headers.imageBase);
  // Reading the skin goes through the library's tables and globals at their moved addresses.
  std::string_view data = SkinFileData();
  const std::uintptr_t attach[] = {
      reinterpret_cast<std::uintptr_t>(data.data()), data.size(), 0, 0, 0, 0};
  EXPECT_EQ(skin::callExport(*loaded.image, "SkinH_AttachRes", attach), 1u);
  std::uintptr_t base = loaded.image->codeBase();
  EXPECT_EQ(pageAt(base + headers.entryPoint).Protect, DWORD(PAGE_EXECUTE_READ));
  skin::freeImage(std::move(loaded.image));
  // Released (Wine shows its own reservation there, which is not the image's).
  EXPECT_NE(pageAt(base).AllocationBase, reinterpret_cast<void*>(base));
  VirtualFree(squatter, 0, MEM_RELEASE);
}

// A form as the program makes them (a top-level window painted in the face colour) with a label,
// a push button, an edit box, a list view and a status bar.
class SkinnedWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW form{};
    form.lpfnWndProc = DefWindowProcW;
    form.hInstance = GetModuleHandleW(nullptr);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = L"SkinTestForm";
    RegisterClassW(&form);
  }

  void SetUp() override {
    form = newForm();
    label = child(L"Static", L"标签", 0);
    button = child(L"Button", L"同    意", BS_PUSHBUTTON);
    edit = child(L"Edit", L"text", 0);
    list = child(WC_LISTVIEWW, L"", LVS_REPORT);
    status = child(STATUSCLASSNAMEW, L"", 0);
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(GetDC(nullptr), 200, 100);
    SelectObject(dc, bitmap);
  }

  void TearDown() override {
    DeleteDC(dc);
    DeleteObject(bitmap);
    DestroyWindow(form);
  }

  static HWND newForm() {
    HWND window = CreateWindowW(L"SkinTestForm", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return window;
  }

  HWND child(const wchar_t* className, const wchar_t* text, DWORD style) {
    return CreateWindowW(className, text, WS_CHILD | WS_VISIBLE | style, 10, 10 + 40 * children++,
                         120, 30, form, nullptr, GetModuleHandleW(nullptr), nullptr);
  }

  COLORREF background(HWND window) {
    SendMessageW(window, WM_ERASEBKGND, WPARAM(dc), 0);
    return GetPixel(dc, 2, 2);
  }

  COLORREF buttonFace() {
    SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    return GetPixel(dc, 60, 3);
  }

  COLORREF brushColour(LRESULT brush) {
    LOGBRUSH described{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(described), &described);
    return described.lbColor;
  }

  COLORREF staticBrush() {
    return brushColour(SendMessageW(form, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(label)));
  }

  void expectUnskinned(const char* why) {
    EXPECT_EQ(background(form), GetSysColor(COLOR_BTNFACE)) << why;
    EXPECT_EQ(staticBrush(), GetSysColor(COLOR_BTNFACE)) << why;
    EXPECT_EQ(COLORREF(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW)) << why;
  }

  skinlib::Palette palette = shippedPalette();
  HWND form, label, button, edit, list, status;
  HDC dc;
  HBITMAP bitmap;
  int children = 0;
};

TEST_F(SkinnedWindows, TakeTheSkinsColoursShiftedAndGiveThemBackWhenTheLibraryGoes) {
  expectUnskinned("before");
  auto step = std::make_unique<app::SkinStep>(SkinLibraryImage());
  step->apply(SkinFileData(), 0, 0);
  ASSERT_NE(step->skinLibrary(), nullptr);

  EXPECT_EQ(background(form), palette.colour[skinlib::kFormBackground]);
  EXPECT_EQ(staticBrush(), palette.colour[skinlib::kFormBackground]);
  EXPECT_EQ(GetTextColor(dc), palette.colour[skinlib::kFormText]);
  EXPECT_EQ(brushColour(SendMessageW(form, WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit))),
            palette.colour[skinlib::kEditBackground]);
  EXPECT_EQ(buttonFace(), palette.colour[skinlib::kButtonFace]);
  EXPECT_EQ(COLORREF(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)),
            palette.colour[skinlib::kListBackground]);
  EXPECT_EQ(COLORREF(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)),
            palette.colour[skinlib::kListText]);
  // A form made after the skin was attached wears it too.
  HWND later = newForm();
  EXPECT_EQ(background(later), palette.colour[skinlib::kFormBackground]);

  step->apply(SkinFileData(), 120, -30);
  EXPECT_EQ(background(form),
            skinlib::shiftColour(palette.colour[skinlib::kFormBackground], 120, -30, 0));
  EXPECT_EQ(buttonFace(), skinlib::shiftColour(palette.colour[skinlib::kButtonFace], 120, -30, 0));

  step.reset();  // the library is told to detach and is unmapped
  expectUnskinned("after the library is gone");
  EXPECT_EQ(background(later), GetSysColor(COLOR_BTNFACE));
  // Nothing still calls into the freed library.
  SendMessageW(button, BM_CLICK, 0, 0);
  SendMessageW(button, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
  DestroyWindow(newForm());
  DestroyWindow(later);
}

TEST_F(SkinnedWindows, StayUnskinnedWhenTheLibraryImageOrTheSkinIsDamaged) {
  std::string good(SkinLibraryImage());
  auto renamed = [&](const std::string& from, const std::string& to) {
    std::string image = good;
    std::size_t at = image.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) image.replace(at, to.size(), to);
    return image;
  };
  std::string noSignature = good;
  noSignature[libraryHeaders().ntHeaders] = 'X';
  const std::pair<const char*, std::string> images[] = {
      {"empty", ""},
      {"headers only", good.substr(0, 0x400)},
      {"cut in the middle", good.substr(0, good.size() / 2)},
      {"no PE signature", noSignature},
      {"missing library", renamed("comctl32.dll", "comctl99.dll")},
      {"missing function", renamed("DrawTextW", "DrawTextQ")},
  };
  for (const auto& [what, image] : images) {
    app::SkinStep step(image);
    step.apply(SkinFileData(), 0, 0);
    EXPECT_EQ(step.skinLibrary(), nullptr) << what;
    expectUnskinned(what);
  }
  app::SkinStep step(good);
  step.apply(SkinFileData().substr(0, 20), 0, 0);
  EXPECT_NE(step.skinLibrary(), nullptr);
  expectUnskinned("damaged skin");
}

}  // namespace
