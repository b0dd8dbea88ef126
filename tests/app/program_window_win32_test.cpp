// The program as a Windows user starts it: its first window is a real message box, which a
// picture keeps (build/windows/tavelo_first_window.bmp) and Return closes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <future>

#include "platform/win32/wide.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/support/programs.hpp"

namespace tavelo {
namespace {

using ::testing::HasSubstr;
using Program = testing::ProgramFolder;

// The texts of a window's children: a message box's message is one of them.
std::string child_texts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[1024] = {};
    GetWindowTextW(child, text, 1024);
    texts += utf8_of(text) + "\n";
  }
  return texts;
}

// A picture of the window as the screen shows it, as a 24-bit BMP file.
void save_picture(HWND window, const std::filesystem::path& file) {
  RECT at{};
  GetWindowRect(window, &at);
  const int width = at.right - at.left;
  const int height = at.bottom - at.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ before = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, at.left, at.top, SRCCOPY);
  SelectObject(memory, before);
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const auto row = static_cast<std::size_t>((width * 3 + 3) & ~3);
  std::vector<char> pixels(row * static_cast<std::size_t>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(Program, OnWindowsTheFirstWindowShowsWhatTheFolderHoldsAndReturnClosesIt) {
  auto run = std::async(std::launch::async, [this] {
    return testing::run_program({program_.string()}, {"TAVELO_UI"}, 60000);
  });
  HWND box = nullptr;
  ASSERT_TRUE(testing::eventually(
      [&] { return (box = FindWindowW(nullptr, L"Tavelo")) != nullptr; }, 30000))
      << "no window titled Tavelo";
  std::string texts;
  testing::eventually(
      [&] { return (texts = child_texts(box)).find("planification") != std::string::npos; }, 5000);
  EXPECT_THAT(texts, HasSubstr("Dossier du programme: " + folder_.path().string()));
  EXPECT_THAT(texts, HasSubstr("2 planification(s)."));
  save_picture(box, std::filesystem::path(TAVELO_BUILD_DIR) / "tavelo_first_window.bmp");

  // Return, as a user presses it, on the window in front.
  SetForegroundWindow(box);
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  ASSERT_EQ(run.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(run.get().status, 0);
}

}  // namespace
}  // namespace tavelo
