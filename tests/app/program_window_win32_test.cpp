// The program as a Windows user starts it: its first window is the calendar, which a picture
// keeps (build/windows/tavelo_first_window.bmp).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <future>

#include "planning/calendar.hpp"
#include "planning/settings.hpp"
#include "platform/win32/wide.hpp"
#include "tests/app/program_folder_copy.hpp"
#include "tests/support/programs.hpp"

namespace tavelo {
namespace {

using ::testing::HasSubstr;

// The texts of a window's children, a line each.
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

// The program's folder holds its settings of today and its chime folder, so that no question
// comes before the calendar.
class ProgramOnWindows : public testing::ProgramFolder {
 protected:
  void SetUp() override {
    ProgramFolder::SetUp();
    std::filesystem::create_directories(folder_.path() / "carillons");
    Settings settings = default_settings(today_, false);
    apply_zero_value_defaults(settings);
    settings.journal_folder = (folder_.path() / "journal").string();
    ASSERT_TRUE(savesettings(folder_.path(), settings, today_));
  }

  const int today_ = testing::machine_today();
};

TEST_F(ProgramOnWindows, TheCalendarIsTheFirstWindowAndClosingItEndsTheProgram) {
  auto run = std::async(std::launch::async, [this] {
    return testing::run_program({program_.string()}, {"TAVELO_UI"}, 60000);
  });
  HWND calendar = nullptr;
  ASSERT_TRUE(testing::eventually(
      [&] { return (calendar = FindWindowW(nullptr, L"Tavelo version: 6.40")) != nullptr; }, 30000))
      << "no calendar window";
  const CalendarDate today = date_of(today_);
  const std::string month = std::string(kMonthNames[static_cast<std::size_t>(today.month)]) + " " +
                            std::to_string(today.year);
  std::string texts;
  testing::eventually(
      [&] { return (texts = child_texts(calendar)).find(month) != std::string::npos; }, 5000);
  EXPECT_THAT(texts, HasSubstr(month));
  EXPECT_THAT(texts, HasSubstr("planifications du jour:"));
  EXPECT_TRUE(std::filesystem::exists(folder_.path() / "agendalock"));
  save_picture(calendar, std::filesystem::path(TAVELO_BUILD_DIR) / "tavelo_first_window.bmp");

  // As Alt+F4 or the close box close it.
  PostMessageW(calendar, WM_CLOSE, 0, 0);
  ASSERT_EQ(run.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(run.get().status, 0);
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "agendalock"));
}

}  // namespace
}  // namespace tavelo
