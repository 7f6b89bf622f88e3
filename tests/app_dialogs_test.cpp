// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// The open and save dialog records field by field, the message catalogue
// unit by unit, and the boxes as they reach MessageBoxW.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "dialogs.h"
#include "fake_platform.h"
#include "messages.h"

namespace {

// Expected texts spelled with escapes, so that they do not depend on how the
// program's own sources were read: U+00E4 ä, U+00F6 ö, U+00B7 middle dot.
const std::wstring OPEN_TITLE = L"Pixelzaun \u00b7 Foto ausw\u00e4hlen";
const std::wstring SAVE_TITLE = L"Pixelzaun \u00b7 Neue JPEG-Kopie speichern";
const std::wstring OPEN_FILTER(L"JPEG und PNG\0*.jpg;*.jpeg;*.png\0\0", 33);
const std::wstring SAVE_FILTER(L"JPEG-Bild\0*.jpg\0\0", 17);
const std::wstring SOURCE_CHOICE = L"C:\\Bilder\\Urlaub 2024\\strand.png";

class DialogTest : public testing::Test {
protected:
    void SetUp() override { fake_reset(); }
    wchar_t source[PATH_CHARS] = {};
    wchar_t target[PATH_CHARS] = {L'F', L'o', L't', L'o', L'.', L'j', L'p', L'g'};
};

// The fields neither dialog ever sets: zero, or whatever a dialog put there.
void expect_untouched_fields_zero(const OPENFILENAMEW& r)
{
    EXPECT_EQ(r.lpstrCustomFilter, nullptr);
    EXPECT_EQ(r.nMaxCustFilter, 0u);
    EXPECT_EQ(r.nFilterIndex, 0u);
    EXPECT_EQ(r.lpstrFileTitle, nullptr);
    EXPECT_EQ(r.nMaxFileTitle, 0u);
    EXPECT_EQ(r.lpstrInitialDir, nullptr);
    EXPECT_EQ(r.lCustData, 0);
    EXPECT_EQ(r.lpfnHook, nullptr);
    EXPECT_EQ(r.lpTemplateName, nullptr);
    EXPECT_EQ(r.pvReserved, nullptr);
    EXPECT_EQ(r.dwReserved, 0u);
    EXPECT_EQ(r.FlagsEx, 0u);
}

TEST_F(DialogTest, OpenDialogRecordFieldByField)
{
    EXPECT_FALSE(choose_source(source));
    ASSERT_EQ(fake_call_kinds(), std::vector<CallKind>{CALL_OPEN_DIALOG});
    const RecordedCall& call = fake_calls[0];
    const OPENFILENAMEW& r = call.record;
    EXPECT_EQ(r.lStructSize, 152u);
    EXPECT_EQ(r.hwndOwner, nullptr);
    EXPECT_EQ(r.hInstance, GetModuleHandleW(nullptr));
    EXPECT_EQ(call.filter, OPEN_FILTER);
    EXPECT_EQ(r.lpstrFile, source);
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_EQ(call.title, OPEN_TITLE);
    EXPECT_EQ(r.Flags, 0x1808u);
    EXPECT_EQ(r.lpstrDefExt, nullptr);
    EXPECT_EQ(r.nFileOffset, 0);
    EXPECT_EQ(r.nFileExtension, 0);
    expect_untouched_fields_zero(r);
}

TEST_F(DialogTest, OpenDialogResultIsTheUsersAnswer)
{
    fake_script.open_answers = {{true, SOURCE_CHOICE}, {false, L""}};
    EXPECT_TRUE(choose_source(source));
    EXPECT_EQ(std::wstring(source), SOURCE_CHOICE);
    EXPECT_FALSE(choose_source(source));
}

TEST_F(DialogTest, FirstSaveDialogChangesOnlyTheFiveSaveFields)
{
    fake_script.open_answers = {{true, SOURCE_CHOICE}};
    ASSERT_TRUE(choose_source(source));
    const OPENFILENAMEW open_left = fake_calls[0].record_after;

    EXPECT_FALSE(choose_target(target));
    ASSERT_EQ(fake_call_kinds(), (std::vector<CallKind>{CALL_OPEN_DIALOG, CALL_SAVE_DIALOG}));
    const RecordedCall& call = fake_calls[1];
    const OPENFILENAMEW& r = call.record;
    EXPECT_EQ(call.title, SAVE_TITLE);
    EXPECT_EQ(r.lpstrFile, target);
    EXPECT_EQ(call.path, L"Foto.jpg");
    EXPECT_EQ(call.filter, SAVE_FILTER);
    EXPECT_EQ(call.default_extension, L"jpg");
    EXPECT_EQ(r.Flags, 0x808u);
    // Everything else as the open dialog left it.
    EXPECT_EQ(r.lStructSize, 152u);
    EXPECT_EQ(r.hwndOwner, nullptr);
    EXPECT_EQ(r.hInstance, GetModuleHandleW(nullptr));
    EXPECT_EQ(r.nMaxFile, 260u);
    EXPECT_EQ(r.nFileOffset, open_left.nFileOffset);
    EXPECT_EQ(r.nFileExtension, open_left.nFileExtension);
    EXPECT_NE(open_left.nFileOffset, 0); // the fake did move them
    expect_untouched_fields_zero(r);
}

TEST_F(DialogTest, LaterSaveDialogsGetTheRecordExactlyAsTheLastLeftIt)
{
    fake_script.open_answers = {{true, SOURCE_CHOICE}};
    // The first save dialog reports a different extension, as the real one
    // does for a name typed with another extension.
    fake_script.save_answers = {{true, L"D:\\neu\\kopie.jpeg", OFN_EXTENSIONDIFFERENT},
                                {true, L"D:\\x.jpg"},
                                {false, L""}};
    ASSERT_TRUE(choose_source(source));
    EXPECT_TRUE(choose_target(target));
    EXPECT_TRUE(choose_target(target));
    EXPECT_FALSE(choose_target(target));
    ASSERT_EQ(fake_count(CALL_SAVE_DIALOG), 3u);
    for (std::size_t i = 2; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::memcmp(&fake_calls[i].record, &fake_calls[i - 1].record_after, sizeof(OPENFILENAMEW)), 0);
    }
    EXPECT_EQ(fake_calls[2].record.Flags, 0x808u | OFN_EXTENSIONDIFFERENT);
    EXPECT_EQ(fake_calls[2].path, L"D:\\neu\\kopie.jpeg");
    EXPECT_EQ(fake_calls[3].path, L"D:\\x.jpg");
}

TEST_F(DialogTest, NextRunsOpenDialogStartsFromAFreshRecord)
{
    fake_script.open_answers = {{true, SOURCE_CHOICE}, {false, L""}};
    fake_script.save_answers = {{true, L"D:\\neu\\kopie.jpeg", OFN_EXTENSIONDIFFERENT}};
    ASSERT_TRUE(choose_source(source));
    ASSERT_TRUE(choose_target(target));
    const OPENFILENAMEW first_open = fake_calls[0].record;
    source[0] = 0;
    EXPECT_FALSE(choose_source(source));
    EXPECT_EQ(std::memcmp(&fake_calls[2].record, &first_open, sizeof(OPENFILENAMEW)), 0);
    // And the save fields are set anew after it.
    EXPECT_FALSE(choose_target(target));
    EXPECT_EQ(fake_calls[3].record.Flags, 0x808u);
}

struct CatalogueRow {
    const char* name;
    const Message* message;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

TEST(MessageCatalogue, TextsCaptionsAndTypesUnitByUnit)
{
    const CatalogueRow rows[] = {
        {"MSG_PICK_READABLE_PHOTO", &MSG_PICK_READABLE_PHOTO,
         L"Bitte eine lesbare JPEG- oder PNG-Datei mit h\u00f6chstens 36 Megapixeln w\u00e4hlen.", L"Pixelzaun",
         0x30},
        {"MSG_PICK_FREE_NAME", &MSG_PICK_FREE_NAME,
         L"Bitte einen freien Dateinamen und einen beschreibbaren Ordner ausw\u00e4hlen.", L"Pixelzaun", 0x30},
        {"MSG_SAVE_FAILED", &MSG_SAVE_FAILED, L"Speichern fehlgeschlagen.", L"Pixelzaun", 0x10},
        {"MSG_SAVED", &MSG_SAVED, L"JPEG-Kopie gespeichert: %lu Bytes. Das Original bleibt erhalten.",
         L"TALVERO Pixelzaun", 0},
    };
    for (const CatalogueRow& row : rows) {
        SCOPED_TRACE(row.name);
        fake_reset();
        show_message(*row.message);
        ASSERT_EQ(fake_calls.size(), 1u);
        const RecordedCall& box = fake_calls[0];
        EXPECT_EQ(box.kind, CALL_MESSAGE_BOX);
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text, row.text);
        EXPECT_EQ(box.caption, row.caption);
        EXPECT_EQ(box.type, row.type);
    }
}

TEST(MessageCatalogue, SavedTextShowsTheBareCount)
{
    const struct {
        std::uint32_t count;
        std::wstring text;
    } rows[] = {
        {1, L"JPEG-Kopie gespeichert: 1 Bytes. Das Original bleibt erhalten."},
        {999999, L"JPEG-Kopie gespeichert: 999999 Bytes. Das Original bleibt erhalten."},
        {4096, L"JPEG-Kopie gespeichert: 4096 Bytes. Das Original bleibt erhalten."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.count);
        wchar_t text[MESSAGE_CHARS];
        std::wmemset(text, L'#', MESSAGE_CHARS);
        format_saved(text, row.count);
        EXPECT_EQ(std::wstring(text), row.text);
    }
    wchar_t longest[MESSAGE_CHARS];
    format_saved(longest, 999999);
    EXPECT_EQ(std::wcslen(longest), 67u);
}

} // namespace
