// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// write_new_file on the real file system (Wine's, when the tests run there),
// in a fresh temporary folder: new files get exactly the bytes, existing ones
// and unusable names are left as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>

#include "fitting.h"
#include "save.h"

namespace {

std::vector<std::uint8_t> read_all(const std::wstring& path)
{
    std::vector<std::uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    std::uint8_t chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    CloseHandle(file);
    return bytes;
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FileTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"pixelzaun-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    void TearDown() override
    {
        for (const std::wstring& name : made) {
            DeleteFileW(name.c_str());
            RemoveDirectoryW(name.c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring file(const std::wstring& name)
    {
        made.push_back(folder + L"\\" + name);
        return made.back();
    }
    std::wstring folder;
    std::vector<std::wstring> made;
};

TEST_F(FileTest, NewFileHoldsExactlyTheStoreBytes)
{
    for (std::uint64_t length : {std::uint64_t{1}, std::uint64_t{4097}, MAX_JPEG_BYTES}) {
        SCOPED_TRACE(length);
        for (std::uint64_t i = 0; i < length; ++i) {
            output_store.bytes[i] = static_cast<std::uint8_t>((i * 131) ^ (i >> 8));
        }
        output_store.count = length;
        std::wstring path = file(L"neu-" + std::to_wstring(length) + L".jpg");
        std::uint32_t written = 0;
        ASSERT_EQ(write_new_file(path.c_str(), output_store.bytes, output_store.count, &written), WRITE_DONE);
        EXPECT_EQ(written, length);
        std::vector<std::uint8_t> on_disk = read_all(path);
        ASSERT_EQ(on_disk.size(), length);
        EXPECT_TRUE(std::equal(on_disk.begin(), on_disk.end(), output_store.bytes));
        // The handle is closed: the file can be removed at once.
        EXPECT_TRUE(DeleteFileW(path.c_str()));
    }
}

TEST_F(FileTest, ExistingFileIsRefusedAndKeepsBytesAndTimes)
{
    std::wstring path = file(L"Foto-unter-1-MB.jpg");
    const std::vector<std::uint8_t> old_bytes = {'a', 'l', 't', 0, 0xFF, 'x'};
    HANDLE old_file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
    ASSERT_NE(old_file, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    ASSERT_TRUE(WriteFile(old_file, old_bytes.data(), static_cast<DWORD>(old_bytes.size()), &put, nullptr));
    // Times far in the past, so that any change to them shows.
    SYSTEMTIME when = {2003, 4, 0, 5, 6, 7, 8, 0};
    FILETIME old_time;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &old_time));
    ASSERT_TRUE(SetFileTime(old_file, &old_time, &old_time, &old_time));
    CloseHandle(old_file);

    for (std::uint64_t i = 0; i < 300; ++i) {
        output_store.bytes[i] = 0x5A;
    }
    std::uint32_t written = 77;
    EXPECT_EQ(write_new_file(path.c_str(), output_store.bytes, 300, &written), WRITE_NOT_CREATED);

    WIN32_FILE_ATTRIBUTE_DATA after;
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &after));
    EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &old_time), 0);
    EXPECT_EQ(CompareFileTime(&after.ftCreationTime, &old_time), 0);
    EXPECT_EQ(after.nFileSizeLow, old_bytes.size());
    EXPECT_EQ(read_all(path), old_bytes);
}

TEST_F(FileTest, UnusableNamesAreRefusedWithoutLeavingAnything)
{
    std::wstring directory = file(L"ordner.jpg");
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    const std::wstring missing_folder = folder + L"\\fehlt\\kopie.jpg";
    const std::wstring invalid = folder + L"\\a<b>?.jpg";
    for (const std::wstring& path : {directory, missing_folder, invalid}) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        output_store.bytes[0] = 1;
        std::uint32_t written = 0;
        EXPECT_EQ(write_new_file(path.c_str(), output_store.bytes, 1, &written), WRITE_NOT_CREATED);
    }
    EXPECT_EQ(GetFileAttributesW(directory.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(exists(folder + L"\\fehlt"));
    // Only the folder made above is left in the temporary folder.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"ordner.jpg"}));
}

} // namespace
