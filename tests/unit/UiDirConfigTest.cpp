// The save-directory dialog's logic: the directory list's lines, what opens
// for a stored directory and what a closing stores.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/DirChoice.h"
#include "ui/DirectoryLines.h"
#include "ui/StartUp.h"

namespace pixkeeper {
namespace {

// A line as "level kind name|path", kind A (above), O (open) or B (below).
std::wstring Describe(const DirectoryLine& line) {
  const wchar_t kind = line.kind == DirectoryLine::Kind::Above  ? L'A'
                       : line.kind == DirectoryLine::Kind::Open ? L'O'
                                                                : L'B';
  return std::to_wstring(line.level) + L' ' + kind + L' ' + line.name + L'|' + line.path;
}

struct LinesCase {
  std::wstring open;
  std::vector<std::wstring> subdirectories;
  std::vector<std::wstring> expected;
};

TEST(UiDirectoryLines, HierarchyThenSortedSubdirectories) {
  const LinesCase cases[] = {
      {L"C:\\WORK\\Sub", {L"zeta", L"Beta", L"alpha"},
       {L"0 A C:\\|C:\\", L"1 A WORK|C:\\WORK", L"2 O Sub|C:\\WORK\\Sub",
        L"3 B alpha|C:\\WORK\\Sub\\alpha", L"3 B Beta|C:\\WORK\\Sub\\Beta",
        L"3 B zeta|C:\\WORK\\Sub\\zeta"}},
      // The root is the open directory; a final "\" is not a level of its own.
      {L"D:\\", {L"b", L"A"}, {L"0 O D:\\|D:\\", L"1 B A|D:\\A", L"1 B b|D:\\b"}},
      {L"D:\\写真\\", {}, {L"0 A D:\\|D:\\", L"1 O 写真|D:\\写真"}},
      {L"D:", {L"ÿ", L"Ä"}, {L"0 O D:\\|D:\\", L"1 B Ä|D:\\Ä", L"1 B ÿ|D:\\ÿ"}},
  };
  for (const LinesCase& c : cases) {
    std::vector<std::wstring> described;
    for (const DirectoryLine& line : DirectoryLines(c.open, c.subdirectories)) {
      described.push_back(Describe(line));
    }
    EXPECT_EQ(c.expected, described) << c.open;
  }
}

TEST(UiDirectoryLines, LinesIndentTwoBlanksPerLevelAndMarkTheOpenFolder) {
  const std::vector<DirectoryLine> lines = DirectoryLines(L"C:\\A", {L"b"});
  EXPECT_EQ(L"▽ C:\\", LineText(lines[0]));
  EXPECT_EQ(L"  ▼ A", LineText(lines[1]));
  EXPECT_EQ(L"    □ b", LineText(lines[2]));
}

TEST(UiDirectoryLines, ListPathsEndWithABackslashOnlyAtTheRoot) {
  EXPECT_EQ(L"C:\\", ListPathOf(L"C:"));
  EXPECT_EQ(L"C:\\", ListPathOf(L"C:\\"));
  EXPECT_EQ(L"C:\\WORK", ListPathOf(L"C:\\WORK\\\\"));
}

struct OpeningCase {
  std::wstring baseDir;
  std::vector<std::wstring> fallbackRoots;
  std::wstring directory;
  bool warn;
};

TEST(UiDirChoice, OpensTheStoredDirectoryOrARootOnce) {
  // Drive Q is missing; WORK exists relative to the current directory too.
  const std::set<std::wstring> existing = {L"C:\\", L"C:\\WORK\\", L"c:\\work", L"D:\\", L"WORK",
                                           L"\\\\server\\share\\"};
  const OpeningCase cases[] = {
      {L"C:\\WORK\\", {L"D:\\"}, L"C:\\WORK\\", false},
      {L"c:\\work", {L"D:\\"}, L"c:\\work", false},
      {L"C:\\GONE\\", {L"D:\\"}, L"C:\\", true},
      {L"Q:\\WORK\\", {L"D:\\", L"C:\\"}, L"D:\\", true},
      {L"Q:\\WORK\\", {L"Q:\\", L"C:\\"}, L"C:\\", true},
      {L"WORK", {L"D:\\"}, L"D:\\", true},
      {L"\\\\server\\share\\", {L"D:\\"}, L"D:\\", true},
      {L"", {L"D:\\"}, L"D:\\", true},
      {L"C:", {L"D:\\"}, L"D:\\", true},  // its first three characters are no root
  };
  for (const OpeningCase& c : cases) {
    int asked = 0;
    const DirOpening opening = ChooseOpening(c.baseDir, c.fallbackRoots, [&](const std::wstring& p) {
      ++asked;
      return existing.count(p) > 0;
    });
    EXPECT_EQ(c.directory, opening.directory) << c.baseDir;
    EXPECT_EQ(c.warn, opening.warn) << c.baseDir;
    EXPECT_LE(asked, 2 + static_cast<int>(c.fallbackRoots.size())) << c.baseDir;
  }
}

TEST(UiDirChoice, ClosingStoresUpperCaseWithOneFinalBackslash) {
  EXPECT_EQ(L"C:\\WORK\\", ClosingBaseDir(L"c:\\work"));
  EXPECT_EQ(L"C:\\", ClosingBaseDir(L"C:\\"));
  EXPECT_EQ(L"C:\\ÄRGER\\ＤＡＴＡ\\写真\\", ClosingBaseDir(L"C:\\ärger\\ｄａｔａ\\写真"));
  const std::wstring deep = L"C:\\" + std::wstring(250, L'a');
  EXPECT_EQ(L"C:\\" + std::wstring(250, L'A') + L"\\", ClosingBaseDir(deep));
}

TEST(UiDirChoice, MessagesNameTheDirectoryDriveAndPicture) {
  EXPECT_EQ(L"前回指定されたディレクトリが存在しないのでルートディレクトリを表示します。\r\n"
            L"前回指定ディレクトリ[C:\\GONE\\]",
            MissingDirMessage(L"C:\\GONE\\"));
  EXPECT_EQ(L"ドライブ E: の準備ができていません。", DriveNotReadyMessage(L'e'));
  EXPECT_EQ(L"画像を表示できません。\r\n対象画像名 [C:\\A.BMP]", UnreadablePictureMessage(L"C:\\A.BMP"));
}

}  // namespace
}  // namespace pixkeeper
