#include "harness.h"
#include "ui/main_window.h"

namespace orvel {
namespace {

TEST(StartUp, FirstStartMakesANewNoteAndRemembersItAtTheEnd) {
  Harness h;
  h.Start();
  EXPECT_EQ(h.state.notePath, kFirstNote);
  EXPECT_EQ(h.File(kFirstNote), "");  // the note exists at once
  EXPECT_EQ(h.toolkit.Geometry(kMainWindow), (WindowGeometry{685, 500, 650, 180}));
  EXPECT_EQ(h.Title(), u"Orvel - note_20180307_140509.orv [0 ch] ");
  EXPECT_TRUE(h.toolkit.Boxes().empty());
  const auto* window = h.toolkit.FindWindowRecord(kMainWindow);
  EXPECT_EQ(window->focusedControl, kEditor);
  EXPECT_EQ(window->asked.title, u"-");
  EXPECT_EQ(window->asked.style, WindowStyle::Overlapped);
  const auto* editor = h.toolkit.FindControl(kMainWindow, kEditor);
  EXPECT_EQ(editor->width, 650);
  EXPECT_EQ(editor->height, 180);
  EXPECT_TRUE(editor->plainText);
  EXPECT_TRUE(editor->acceptsDrops);
  EXPECT_EQ(editor->font, kNoteFont);
  EXPECT_EQ(h.toolkit.Fonts().at(kNoteFont), (std::pair<Text, int>{u"FixedSys", 14}));
  const auto* find = h.toolkit.FindWindowRecord(kFindWindow);
  ASSERT_NE(find, nullptr);
  EXPECT_FALSE(find->visible);
  EXPECT_TRUE(find->topmost);
  EXPECT_EQ(h.Settings(), "<no file>");  // nothing reaches the disk before the end

  EXPECT_EQ(h.Close(), 0);
  EXPECT_TRUE(h.toolkit.Released());
  EXPECT_EQ(h.Settings(), std::string(kMark) +
                              "r = 1\r\n"
                              "f = C:\\Tools\\Orvel_data\\note_20180307_140509.orv\r\n"
                              "x = 685\r\ny = 500\r\nw = 650\r\nh = 180\r\nt = bright\r\n");
}

TEST(StartUp, ParametersAndSettingsDecideTheNoteAndTheGeometry) {
  const std::string stored = std::string(kMark) +
                             "r = 41\r\nf = C:\\notes\\last.txt\r\nx = 11\r\ny = 22\r\nw = 333\r\nh = 444\r\n";
  const struct {
    const char* name;
    std::string settings;
    const char16_t* commandLine;
    const char16_t* notePath;
    WindowGeometry geometry;
  } cases[] = {
      {"stored note and geometry", stored, u"orvel.exe", u"C:\\notes\\last.txt", {11, 22, 333, 444}},
      {"a parameter wins over the stored note", stored, u"orvel.exe C:\\notes\\other.txt",
       u"C:\\notes\\other.txt", {11, 22, 333, 444}},
      {"note and 0: geometry from the settings", stored, u"orvel.exe C:\\notes\\n.txt 0",
       u"C:\\notes\\n.txt", {11, 22, 333, 444}},
      {"note and 10: x only", stored, u"orvel.exe C:\\notes\\n.txt 10", u"C:\\notes\\n.txt", {10, 22, 333, 444}},
      {"all four, in number text", stored, u"orvel.exe n.txt $20 %101 12px -7", u"n.txt", {32, 5, 12, -7}},
      {"no settings: defaults", "", u"orvel.exe C:\\notes\\n.txt 10", u"C:\\notes\\n.txt", {10, 500, 650, 180}},
      {"quoted path with spaces", stored, u"orvel.exe \"C:\\notes\\my note.txt\" 10",
       u"C:\\notes\\my note.txt", {10, 22, 333, 444}},
      {"stored path shorter than 3 characters", std::string(kMark) + "f = ab\r\n", u"orvel.exe",
       u"C:\\Tools\\Orvel_data\\note_20180307_140509.orv", {685, 500, 650, 180}},
      {"stored 0 is used as it is", std::string(kMark) + "x = 0\r\ny = -3\r\n", u"orvel.exe n.txt",
       u"n.txt", {0, -3, 650, 180}},
  };
  for (const auto& c : cases) {
    Harness h;
    h.system.AddFolder(kDataFolder);
    if (!c.settings.empty()) h.Put(kSettingsPath, c.settings);
    h.Start(TokenizeCommandLine(c.commandLine));
    EXPECT_EQ(h.state.notePath, c.notePath) << c.name;
    EXPECT_EQ(h.toolkit.Geometry(kMainWindow), c.geometry) << c.name;
  }
}

TEST(StartUp, EveryStartCountsItselfEvenWhenNothingElseChanges) {
  Harness h;
  h.system.AddFolder(kDataFolder);
  h.Put(kSettingsPath, std::string(kMark) + "r = 41\r\n");
  h.Start({u"C:\\notes\\a.txt"});
  h.Close();
  EXPECT_NE(h.Settings().find("r = 42\r\n"), std::string::npos);
}

TEST(StartUp, TheStoredThemeShowsAndOnlyBrightStaysBright) {
  const struct {
    const char* stored;  // nullptr: no key
    const char16_t* shown;
  } cases[] = {{nullptr, u"bright"}, {"bright", u"bright"}, {"dark", u"dark"},
               {"Bright", u"dark"},  {"", u"dark"},         {"blue", u"dark"}};
  for (const auto& c : cases) {
    Harness h;
    h.system.AddFolder(kDataFolder);
    if (c.stored) h.Put(kSettingsPath, std::string("t = ") + c.stored + "\r\n");
    h.Start();
    const Theme& theme = h.state.themeName == u"bright" ? kBrightTheme : kDarkTheme;
    EXPECT_EQ(h.state.themeName, c.shown) << (c.stored ? c.stored : "(none)");
    const auto* editor = h.toolkit.FindControl(kMainWindow, kEditor);
    EXPECT_EQ(editor->background, theme.background);
    EXPECT_EQ(editor->textColour, theme.text);
    EXPECT_EQ(h.state.digitColour, theme.digits);
  }
}

TEST(Themes, ToggleSwitchesEveryColourAndBackAgain) {
  Harness h;
  h.Start();
  const auto* editor = h.toolkit.FindControl(kMainWindow, kEditor);
  ToggleTheme(h.state);
  EXPECT_EQ(h.state.themeName, u"dark");
  EXPECT_EQ(editor->background, 0x4A4540u);
  EXPECT_EQ(editor->textColour, 0xFEFEFEu);
  EXPECT_EQ(h.state.digitColour, 0xCCAA77u);
  ToggleTheme(h.state);
  EXPECT_EQ(editor->background, 0xFEFEFEu);
  EXPECT_EQ(editor->textColour, 0x010101u);
  EXPECT_EQ(h.state.digitColour, 0x5020F0u);
}

TEST(ShutDown, StoresGeometryAndThemeUnlessMaximised) {
  const struct {
    const char* name;
    void (*arrange)(Harness&);
    const char* expected;  // the keys after r and f
  } cases[] = {
      {"normal, moved by the user",
       [](Harness& h) { h.toolkit.ResizeByUser(kMainWindow, 700, 300); },
       "x = 685\r\ny = 500\r\nw = 700\r\nh = 300\r\nt = dark\r\n"},
      {"maximised: only r and f", [](Harness& h) { h.toolkit.Maximise(kMainWindow); }, ""},
      {"minimised: where it stands when restored",
       [](Harness& h) {
         h.toolkit.ResizeByUser(kMainWindow, 640, 200);
         h.toolkit.Minimise(kMainWindow);
       },
       "x = 685\r\ny = 500\r\nw = 640\r\nh = 200\r\nt = dark\r\n"},
  };
  for (const auto& c : cases) {
    Harness h;
    h.Start();
    ToggleTheme(h.state);
    c.arrange(h);
    EXPECT_EQ(h.Close(), 0);
    EXPECT_EQ(h.Settings(), std::string(kMark) + "r = 1\r\nf = " + TextToUtf8(kFirstNote) + "\r\n" + c.expected)
        << c.name;
  }
}

TEST(ShutDown, AMaximisedCloseKeepsTheStoredValues) {
  Harness h;
  h.system.AddFolder(kDataFolder);
  h.Put(kSettingsPath, std::string(kMark) + "x = 1\r\ny = 2\r\nw = 300\r\nh = 100\r\nt = bright\r\n");
  h.Start({u"C:\\notes\\a.txt"});
  ToggleTheme(h.state);
  h.toolkit.Maximise(kMainWindow);
  h.Close();
  EXPECT_EQ(h.Settings(), std::string(kMark) +
                              "x = 1\r\ny = 2\r\nw = 300\r\nh = 100\r\nt = bright\r\nr = 1\r\nf = C:\\notes\\a.txt\r\n");
}

TEST(StartUp, AMissingDataFolderShowsTheHelpBoxAndNothingIsRemembered) {
  Harness h;
  h.system.RefuseFolderCreation(true);
  h.Start();
  ASSERT_EQ(h.toolkit.Boxes().size(), 1u);
  EXPECT_EQ(h.toolkit.Boxes()[0].caption, u"Orvel 1.035");
  EXPECT_EQ(h.toolkit.Boxes()[0].icon, BoxIcon::Information);
  // The help box comes after the layout has settled and the handlers exist.
  EXPECT_EQ(h.toolkit.Boxes()[0].disabledWindows, std::vector<int>{kMainWindow});
  h.toolkit.Type(u"lost");
  h.Tick();
  EXPECT_TRUE(h.state.marked);  // nowhere to write it
  h.Close();
  EXPECT_EQ(h.Settings(), "<no file>");
}

TEST(EventLoop, ClosingTheFindWindowOnlyHidesIt) {
  Harness h;
  h.Start();
  h.toolkit.ShowWindow(kFindWindow);
  h.toolkit.Script([&] { h.toolkit.RequestClose(kFindWindow); });
  h.toolkit.Script([&] {
    EXPECT_FALSE(h.toolkit.IsWindowVisible(kFindWindow));
    h.toolkit.ResizeByUser(kFindWindow, 10, 10);  // changes nothing in the main window
    h.toolkit.RequestClose(kMainWindow);
  });
  RunEventLoop(h.state);
  EXPECT_NE(h.toolkit.FindWindowRecord(kFindWindow), nullptr);
  EXPECT_FALSE(h.toolkit.FindWindowRecord(kFindWindow)->closed);
  EXPECT_EQ(h.toolkit.FindControl(kMainWindow, kEditor)->width, 650);
}

TEST(Layout, TheEditorAlwaysFillsTheMainWindow) {
  Harness h;
  h.Start();
  const auto* editor = h.toolkit.FindControl(kMainWindow, kEditor);
  h.toolkit.ResizeByUser(kMainWindow, 800, 400);
  EXPECT_EQ(std::pair(editor->width, editor->height), std::pair(800, 400));
  h.toolkit.Minimise(kMainWindow);
  EXPECT_EQ(std::pair(editor->width, editor->height), std::pair(800, 400));
  h.toolkit.Maximise(kMainWindow);
  EXPECT_EQ(std::pair(editor->width, editor->height),
            std::pair(FakeToolkit::kScreenWidth, FakeToolkit::kScreenHeight));
  h.toolkit.Restore(kMainWindow);
  EXPECT_EQ(std::pair(editor->width, editor->height), std::pair(800, 400));
}

}  // namespace
}  // namespace orvel
