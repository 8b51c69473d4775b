#include "platform/files.h"

#include <gtest/gtest.h>

#include "platform/instance_lock.h"

namespace tenrovel::platform {
namespace {

namespace fs = std::filesystem;

TEST(PrivateTempFolder, IsCreatedAndRemovedWithItsContent) {
  fs::path where;
  {
    const PrivateTempFolder folder;
    where = folder.path();
    ASSERT_TRUE(FolderExists(where));
    ASSERT_TRUE(ReplaceFileAtomically(where / "tmp.dat", "x"));
    const PrivateTempFolder other;
    EXPECT_NE(other.path(), where);
  }
  EXPECT_FALSE(FolderExists(where));
}

TEST(Files, ReplaceReadDelete) {
  const PrivateTempFolder folder;
  const fs::path file = folder.path() / "a.txt";
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(ReadFileBytes(file).has_value());
  EXPECT_TRUE(DeleteFileAt(file)) << "a missing file counts as deleted";

  const std::string bytes("a\0b\r\n", 5);
  ASSERT_TRUE(ReplaceFileAtomically(file, bytes));
  ASSERT_TRUE(ReplaceFileAtomically(file, bytes + "more"));
  EXPECT_EQ(ReadFileBytes(file), bytes + "more");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(folder.path())) << "a folder is not a file";
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
      << "no temporary file is left beside it";

  EXPECT_TRUE(DeleteFileAt(file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(ReplaceFileAtomically(folder.path() / "missing" / "b.txt", "x"));
}

TEST(Files, ProgramFolderHoldsThisTest) {
  const fs::path folder = ProgramFolder();
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_TRUE(FolderIsWritable(folder));
  bool found = false;
  for (const auto& entry : fs::directory_iterator(folder)) {
    found = found || entry.path().stem() == "platform_tests";
  }
  EXPECT_TRUE(found) << folder;
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
  const std::string name = "tenrovel-test-lock";
  {
    const InstanceLock first(name);
    ASSERT_TRUE(first.acquired());
    const InstanceLock second(name);
    EXPECT_FALSE(second.acquired());
  }
  const InstanceLock again(name);
  EXPECT_TRUE(again.acquired());
}

}  // namespace
}  // namespace tenrovel::platform
