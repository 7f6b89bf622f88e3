// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// run_program from the open dialog to the exit status: every outcome, the
// release of pixels and stream before any box, and what each stage is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "run.h"

namespace {

const std::wstring CHOSEN = L"C:\\Fotos\\IMG_0001.JPG";
const std::wstring READABLE_TEXT =
    L"Bitte eine lesbare JPEG- oder PNG-Datei mit h\u00f6chstens 36 Megapixeln w\u00e4hlen.";
const std::wstring FREE_NAME_TEXT =
    L"Bitte einen freien Dateinamen und einen beschreibbaren Ordner ausw\u00e4hlen.";
const std::wstring SAVED_TEXT = L"JPEG-Kopie gespeichert: 1234 Bytes. Das Original bleibt erhalten.";

struct RunRow {
    const char* name;
    FakeScript script;
    std::int32_t status;
    std::vector<CallKind> calls;
    std::wstring last_text; // empty: the run shows no box at all
    UINT last_type;
};

// The stages before the save dialog when the photo loads and fits.
const std::vector<CallKind> FITTED = {CALL_OPEN_DIALOG, CALL_WFOPEN,      CALL_LOAD_SOURCE,
                                      CALL_FIT_JPEG,    CALL_IMAGE_FREE, CALL_FCLOSE};

std::vector<CallKind> after_fit(std::vector<CallKind> rest)
{
    std::vector<CallKind> calls = FITTED;
    calls.insert(calls.end(), rest.begin(), rest.end());
    return calls;
}

std::vector<RunRow> outcome_rows()
{
    std::vector<RunRow> rows = {
        {"open dialog cancelled", {}, 0, {CALL_OPEN_DIALOG}, L"", 0},
        {"source does not open", {}, 1, {CALL_OPEN_DIALOG, CALL_WFOPEN, CALL_MESSAGE_BOX}, READABLE_TEXT, 0x30},
        {"source refused",
         {},
         1,
         {CALL_OPEN_DIALOG, CALL_WFOPEN, CALL_LOAD_SOURCE, CALL_FCLOSE, CALL_MESSAGE_BOX},
         READABLE_TEXT,
         0x30},
        {"fitting fails", {}, 1, after_fit({CALL_MESSAGE_BOX}), READABLE_TEXT, 0x30},
        {"save dialog cancelled", {}, 0, after_fit({CALL_SAVE_DIALOG}), L"", 0},
        {"cancelled after a refused name",
         {},
         0,
         after_fit({CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_MESSAGE_BOX, CALL_SAVE_DIALOG}),
         FREE_NAME_TEXT,
         0x30},
        {"write fails",
         {},
         1,
         after_fit({CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_CLOSE_HANDLE, CALL_DELETE_FILE,
                    CALL_MESSAGE_BOX}),
         L"Speichern fehlgeschlagen.",
         0x10},
        {"flush fails",
         {},
         1,
         after_fit({CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_FLUSH_FILE, CALL_CLOSE_HANDLE,
                    CALL_DELETE_FILE, CALL_MESSAGE_BOX}),
         L"Speichern fehlgeschlagen.",
         0x10},
        {"saved",
         {},
         0,
         after_fit({CALL_SAVE_DIALOG, CALL_CREATE_FILE, CALL_WRITE_FILE, CALL_FLUSH_FILE, CALL_CLOSE_HANDLE,
                    CALL_MESSAGE_BOX}),
         SAVED_TEXT,
         0},
    };
    for (std::size_t i = 1; i < rows.size(); ++i) {
        rows[i].script.open_answers = {{true, CHOSEN}};
    }
    rows[1].script.wfopen_answers = {false};
    rows[2].script.load_answers = {{false, 0, 0}};
    rows[3].script.fit_answers = {false};
    rows[5].script.save_answers = {{true, CHOSEN}};
    rows[5].script.create_answers = {INVALID_HANDLE_VALUE};
    rows[6].script.save_answers = {{true, L"C:\\neu.jpg"}};
    rows[6].script.write_answers = {{TRUE, 1000}};
    rows[7].script.save_answers = {{true, L"C:\\neu.jpg"}};
    rows[7].script.flush_answers = {FALSE};
    rows[8].script.save_answers = {{true, L"C:\\neu.jpg"}};
    return rows;
}

TEST(RunProgram, EveryOutcomeWithItsCallsMessageAndStatus)
{
    for (RunRow& row : outcome_rows()) {
        SCOPED_TRACE(row.name);
        fake_reset();
        fake_script = row.script;
        EXPECT_EQ(run_program(), row.status);
        ASSERT_EQ(fake_call_kinds(), row.calls);
        std::size_t boxes = fake_count(CALL_MESSAGE_BOX);
        if (row.last_text.empty()) {
            EXPECT_EQ(boxes, 0u);
            continue;
        }
        auto last_box = std::find_if(fake_calls.rbegin(), fake_calls.rend(),
                                     [](const RecordedCall& call) { return call.kind == CALL_MESSAGE_BOX; });
        const RecordedCall& box = *last_box;
        EXPECT_EQ(box.text, row.last_text);
        EXPECT_EQ(box.type, row.last_type);
        EXPECT_EQ(box.caption, row.last_type == 0 ? L"TALVERO Pixelzaun" : L"Pixelzaun");
        if (row.status == 1) {
            EXPECT_EQ(boxes, 1u); // exactly one box closes a failed run
        }
    }
}

TEST(RunProgram, EachStageIsGivenWhatTheOneBeforeReturned)
{
    fake_reset();
    fake_script.open_answers = {{true, CHOSEN}};
    fake_script.load_answers = {{true, 4001, 3}};
    fake_script.fit_answers = {false};
    EXPECT_EQ(run_program(), 1);
    ASSERT_EQ(fake_calls.size(), 7u);

    const RecordedCall& open = fake_calls[0];
    EXPECT_EQ(open.file_buffer, std::wstring(260, L'\0')); // the name field starts empty
    const RecordedCall& wfopen = fake_calls[1];
    EXPECT_EQ(wfopen.path, CHOSEN);
    EXPECT_EQ(wfopen.mode, L"rb");
    EXPECT_EQ(fake_calls[2].stream, FAKE_STREAM);
    const RecordedCall& fit = fake_calls[3];
    EXPECT_EQ(fit.pixels, FAKE_PIXELS);
    EXPECT_EQ(fit.width, 4001);
    EXPECT_EQ(fit.height, 3);
    EXPECT_EQ(fake_calls[4].pixels, FAKE_PIXELS); // released first,
    EXPECT_EQ(fake_calls[5].stream, FAKE_STREAM); // then the stream closed
    EXPECT_EQ(fake_calls[6].owner, nullptr);
}

TEST(RunProgram, SaveDialogStartsOnTheDefaultNameAndSavesTheStore)
{
    fake_reset();
    fake_script.open_answers = {{true, CHOSEN}};
    fake_script.save_answers = {{true, L"E:\\upload\\klein.jpg"}};
    EXPECT_EQ(run_program(), 0);
    std::size_t save = FITTED.size();
    ASSERT_GT(fake_calls.size(), save + 2);
    const RecordedCall& dialog = fake_calls[save];
    ASSERT_EQ(dialog.kind, CALL_SAVE_DIALOG);
    std::wstring expected(260, L'\0');
    expected.replace(0, 19, L"Foto-unter-1-MB.jpg");
    EXPECT_EQ(dialog.file_buffer, expected);
    EXPECT_EQ(fake_calls[save + 1].path, L"E:\\upload\\klein.jpg");
    EXPECT_EQ(fake_calls[save + 2].count, 1234u); // what the fitting left in the store
}

TEST(RunProgram, ChoosingTheSourceAsTargetIsRefusedLikeAnyTakenName)
{
    fake_reset();
    fake_script.open_answers = {{true, CHOSEN}};
    fake_script.save_answers = {{true, CHOSEN}, {true, CHOSEN}};
    fake_script.create_answers = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
    EXPECT_EQ(run_program(), 0);
    EXPECT_EQ(fake_count(CALL_SAVE_DIALOG), 3u);
    EXPECT_EQ(fake_count(CALL_MESSAGE_BOX), 2u);
    EXPECT_EQ(fake_count(CALL_WRITE_FILE), 0u);
    EXPECT_EQ(fake_count(CALL_DELETE_FILE), 0u);
}

} // namespace
