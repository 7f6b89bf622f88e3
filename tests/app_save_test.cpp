// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// write_new_file and the save loop against the recording fake: the exact
// arguments of every file call, their order on each path, and the messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "dialogs.h"
#include "fitting.h"
#include "save.h"

namespace {

const std::wstring TARGET = L"C:\\Bilder\\kopie.jpg";
const std::wstring FREE_NAME_TEXT =
    L"Bitte einen freien Dateinamen und einen beschreibbaren Ordner ausw\u00e4hlen.";

class SaveTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Every run opens the record with the open dialog; here it is cancelled.
        fake_reset();
        wchar_t source[PATH_CHARS] = {};
        ASSERT_FALSE(choose_source(source));
        fake_reset();
        for (std::uint64_t i = 0; i < 5000; ++i) {
            output_store.bytes[i] = static_cast<std::uint8_t>(i * 13);
        }
        output_store.count = 5000;
    }
    wchar_t path[PATH_CHARS] = {L'F', L'o', L't', L'o', L'-', L'u', L'n', L't', L'e', L'r', L'-', L'1',
                                L'-', L'M', L'B', L'.', L'j', L'p', L'g'};
};

TEST_F(SaveTest, WriteNewFilePassesExactArgumentsInOrder)
{
    std::uint32_t written = 0xDEADBEEF;
    EXPECT_EQ(write_new_file(TARGET.c_str(), output_store.bytes, 999999, &written), WRITE_DONE);
    EXPECT_EQ(written, 999999u);
    ASSERT_EQ(fake_call_kinds(),
              (std::vector<CallKind>{CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_FLUSH_FILE, CALL_CLOSE_HANDLE}));
    const RecordedCall& create = fake_calls[0];
    EXPECT_EQ(create.path, TARGET);
    EXPECT_EQ(create.access, 0x40000000u); // GENERIC_WRITE alone
    EXPECT_EQ(create.share, 0u);
    EXPECT_EQ(create.security, nullptr);
    EXPECT_EQ(create.disposition, 1u); // CREATE_NEW
    EXPECT_EQ(create.flags, 0x80u);    // FILE_ATTRIBUTE_NORMAL
    EXPECT_EQ(create.template_file, nullptr);
    const RecordedCall& write = fake_calls[1];
    EXPECT_EQ(write.handle, FAKE_HANDLE);
    EXPECT_EQ(write.bytes, output_store.bytes);
    EXPECT_EQ(write.count, 999999u);
    EXPECT_TRUE(write.written_given);
    EXPECT_EQ(write.written_before, 0u);
    EXPECT_EQ(write.overlapped, nullptr);
    EXPECT_EQ(fake_calls[2].handle, FAKE_HANDLE);
    EXPECT_EQ(fake_calls[3].handle, FAKE_HANDLE);
}

struct WriteRow {
    const char* name;
    FakeScript script;
    WriteOutcome outcome;
    std::vector<CallKind> calls;
};

TEST_F(SaveTest, WriteNewFileFailuresCloseThenRemove)
{
    const std::vector<CallKind> write_failed = {CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_CLOSE_HANDLE,
                                                CALL_DELETE_FILE};
    const std::vector<CallKind> flush_failed = {CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_FLUSH_FILE,
                                                CALL_CLOSE_HANDLE, CALL_DELETE_FILE};
    std::vector<WriteRow> rows = {
        {"creation refused", {}, WRITE_NOT_CREATED, {CALL_CREATE_FILE}},
        {"write call fails", {}, WRITE_FAILED, write_failed},
        {"short write reported as success", {}, WRITE_FAILED, write_failed},
        {"nothing written, reported as success", {}, WRITE_FAILED, write_failed},
        {"failure with the full count", {}, WRITE_FAILED, write_failed},
        {"flush fails", {}, WRITE_FAILED, flush_failed},
    };
    rows[0].script.create_answers = {INVALID_HANDLE_VALUE};
    rows[1].script.write_answers = {{FALSE, 0}};
    rows[2].script.write_answers = {{TRUE, 4999}};
    rows[3].script.write_answers = {{TRUE, 0}};
    rows[4].script.write_answers = {{FALSE, 5000}};
    rows[5].script.flush_answers = {FALSE};
    for (WriteRow& row : rows) {
        SCOPED_TRACE(row.name);
        fake_reset();
        fake_script = row.script;
        std::uint32_t written = 0;
        EXPECT_EQ(write_new_file(TARGET.c_str(), output_store.bytes, 5000, &written), row.outcome);
        ASSERT_EQ(fake_call_kinds(), row.calls);
        for (const RecordedCall& call : fake_calls) {
            if (call.kind == CALL_CLOSE_HANDLE) {
                EXPECT_EQ(call.handle, FAKE_HANDLE);
            }
            if (call.kind == CALL_DELETE_FILE) {
                EXPECT_EQ(call.path, TARGET);
            }
        }
    }
}

TEST_F(SaveTest, CancelAtOnceWritesNothing)
{
    EXPECT_EQ(save_result(path), 0);
    EXPECT_EQ(fake_call_kinds(), std::vector<CallKind>{CALL_SAVE_DIALOG});
    EXPECT_EQ(fake_calls[0].path, L"Foto-unter-1-MB.jpg");
}

TEST_F(SaveTest, EveryRefusalWarnsAndAsksAgainUntilCancel)
{
    constexpr int REFUSALS = 40;
    for (int i = 0; i < REFUSALS; ++i) {
        fake_script.save_answers.push_back({true, L"C:\\belegt\\name" + std::to_wstring(i) + L".jpg"});
        fake_script.create_answers.push_back(INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(save_result(path), 0);

    std::vector<CallKind> expected;
    for (int i = 0; i < REFUSALS; ++i) {
        expected.insert(expected.end(), {CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_MESSAGE_BOX});
    }
    expected.push_back(CALL_SAVE_DIALOG);
    ASSERT_EQ(fake_call_kinds(), expected);
    for (int i = 0; i < REFUSALS; ++i) {
        SCOPED_TRACE(i);
        const std::wstring chosen = L"C:\\belegt\\name" + std::to_wstring(i) + L".jpg";
        EXPECT_EQ(fake_calls[3 * i + 1].path, chosen);
        const RecordedCall& box = fake_calls[3 * i + 2];
        EXPECT_EQ(box.text, FREE_NAME_TEXT);
        EXPECT_EQ(box.caption, L"Pixelzaun");
        EXPECT_EQ(box.type, 0x30u);
        // The dialog comes back on the refused name.
        EXPECT_EQ(fake_calls[3 * i + 3].path, chosen);
    }
}

TEST_F(SaveTest, SavedAfterARefusalReportsTheWrittenCount)
{
    fake_script.save_answers = {{true, L"C:\\a.jpg"}, {true, L"C:\\b.jpg"}};
    fake_script.create_answers = {INVALID_HANDLE_VALUE};
    EXPECT_EQ(save_result(path), 0);
    ASSERT_EQ(fake_call_kinds(),
              (std::vector<CallKind>{CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_MESSAGE_BOX, CALL_SAVE_DIALOG,
                                     CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_FLUSH_FILE, CALL_CLOSE_HANDLE,
                                     CALL_MESSAGE_BOX}));
    EXPECT_EQ(fake_calls[4].path, L"C:\\b.jpg");
    EXPECT_EQ(fake_calls[5].bytes, output_store.bytes);
    EXPECT_EQ(fake_calls[5].count, 5000u);
    const RecordedCall& report = fake_calls.back();
    EXPECT_EQ(report.text, L"JPEG-Kopie gespeichert: 5000 Bytes. Das Original bleibt erhalten.");
    EXPECT_EQ(report.caption, L"TALVERO Pixelzaun");
    EXPECT_EQ(report.type, 0u);
    EXPECT_EQ(report.owner, nullptr);
}

} // namespace
