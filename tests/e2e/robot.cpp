// SPDX-FileCopyrightText: 2026 The Pixelzaun authors
// SPDX-License-Identifier: MIT
// A test robot that uses pixelzaun.exe as a person would: it starts the
// program, finds each dialog and message box among the program's visible
// top-level windows by title, types into the file-name field, presses OK or
// Cancel, reads message texts and finally the exit status.
//
// Usage: robot PROGRAM.exe STEPS.txt [SHOTS_FOLDER]
// STEPS.txt holds one step a line, UTF-8: "verb argument".
//   lock PATH      (first lines only) hold PATH open with share mode 0 throughout
//   within MS      the next window must appear within MS milliseconds
//   window TITLE   wait for the program's dialog or box titled TITLE
//   type TEXT      put TEXT into the current dialog's file-name field
//   name TEXT      the file-name field must read TEXT
//   folder TEXT    the dialog's folder list must show TEXT
//   button ok|cancel TEXT   that button of the current window must read TEXT
//   text [TEXT]    read the current box's message (and compare it to TEXT)
//   shot NAME      ask the caller for a picture of the current window
//   ok | cancel    press OK or Cancel and wait until the window is gone
//   exit N         wait for the program to end with status N; no window may appear
// Every line the robot prints starts with a word the caller can look for.
// Any failure prints "FAIL ...", the windows in sight, ends the program and
// makes the robot's own status 1.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD WAIT_MS = 20000;
constexpr DWORD OTHER_WINDOW_MS = 1500;
constexpr int NAME_FIELD_ID = 0x47C;   // the ComboBoxEx32 around the name's Edit
constexpr int FOLDER_LIST_ID = 0x471;  // the "look in" combo box
constexpr int BOX_TEXT_ID = 0xFFFF;    // a message box's text

PROCESS_INFORMATION program{};
HWND current = nullptr;
std::wstring shots;

void say(const std::wstring& line)
{
    std::wstring whole = line + L"\n";
    int size = WideCharToMultiByte(CP_UTF8, 0, whole.c_str(), static_cast<int>(whole.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, whole.c_str(), static_cast<int>(whole.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD done = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

std::wstring text_of(HWND window)
{
    wchar_t text[1024] = L"";
    DWORD_PTR length = 0;
    // Sent across processes; a hung window must not hang the robot.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &length);
    return text;
}

std::wstring class_of(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<HWND> program_windows()
{
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == program.dwProcessId && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

[[noreturn]] void fail(const std::wstring& why)
{
    say(L"FAIL " + why);
    for (HWND window : program_windows()) {
        say(L"seen " + class_of(window) + L" \"" + text_of(window) + L"\"");
    }
    TerminateProcess(program.hProcess, 99);
    ExitProcess(1);
}

// The first descendant of parent with the given id (and class, when named).
HWND child_with(HWND parent, int id, const wchar_t* class_name)
{
    struct Query { int id; const wchar_t* class_name; HWND found; } query{id, class_name, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM p) -> BOOL {
            auto* q = reinterpret_cast<Query*>(p);
            bool id_fits = q->id < 0 || (GetWindowLongPtrW(window, GWLP_ID) & 0xFFFF) == q->id;
            if (id_fits && (!q->class_name || class_of(window) == q->class_name)) {
                q->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND need_child(int id, const wchar_t* class_name, const wchar_t* what)
{
    HWND found = current ? child_with(current, id, class_name) : nullptr;
    if (!found) fail(std::wstring(L"no ") + what + L" in the current window");
    return found;
}

void wait_window(const std::wstring& title, DWORD limit)
{
    DWORD start = GetTickCount();
    HWND other = nullptr;
    DWORD other_since = 0;
    for (;;) {
        std::vector<HWND> windows = program_windows();
        for (HWND window : windows) {
            if (class_of(window) == L"#32770" && text_of(window) == title) {
                current = window;
                say(L"window \"" + title + L"\" after " + std::to_wstring(GetTickCount() - start) + L" ms");
                return;
            }
        }
        // Another window that stays is the program's answer, not a passing one.
        if (windows.empty() || windows.front() != other) {
            other = windows.empty() ? nullptr : windows.front();
            other_since = GetTickCount();
        } else if (GetTickCount() - other_since > OTHER_WINDOW_MS) {
            fail(L"window \"" + text_of(other) + L"\" instead of \"" + title + L"\"");
        }
        if (WaitForSingleObject(program.hProcess, 0) == WAIT_OBJECT_0) {
            DWORD status = 0;
            GetExitCodeProcess(program.hProcess, &status);
            fail(L"program ended with status " + std::to_wstring(status) + L" while waiting for \"" + title + L"\"");
        }
        if (GetTickCount() - start > limit) fail(L"no window \"" + title + L"\" within " + std::to_wstring(limit) + L" ms");
        Sleep(20);
    }
}

void press(WPARAM button)
{
    if (!current) fail(L"nothing to press: no current window");
    // Posted, not sent: the dialog may open a modal box while handling it.
    PostMessageW(current, WM_COMMAND, button, 0);
    DWORD start = GetTickCount();
    while (IsWindow(current) && IsWindowVisible(current)) {
        if (GetTickCount() - start > WAIT_MS) fail(L"window \"" + text_of(current) + L"\" stays open");
        Sleep(20);
    }
    current = nullptr;
}

void wait_exit(const std::wstring& expected)
{
    DWORD start = GetTickCount();
    while (WaitForSingleObject(program.hProcess, 20) == WAIT_TIMEOUT) {
        std::vector<HWND> windows = program_windows();
        if (!windows.empty()) fail(L"unexpected window \"" + text_of(windows.front()) + L"\"");
        if (GetTickCount() - start > WAIT_MS) fail(L"program still running");
    }
    DWORD status = 0;
    GetExitCodeProcess(program.hProcess, &status);
    say(L"exit " + std::to_wstring(status));
    if (std::to_wstring(status) != expected) fail(L"exit status " + std::to_wstring(status) + L", expected " + expected);
}

void take_shot(const std::wstring& name)
{
    if (!current) fail(L"no current window to picture");
    if (shots.empty()) return;
    // Let the window finish painting before the picture is taken.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(current, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(400);
    RECT r{};
    GetWindowRect(current, &r);
    say(L"shot " + name + L" " + std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top) +
        L"+" + std::to_wstring(r.left) + L"+" + std::to_wstring(r.top));
    std::wstring file = shots + L"\\" + name + L".png";
    DWORD start = GetTickCount();
    while (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > WAIT_MS) fail(L"no picture " + file);
        Sleep(50);
    }
}

std::vector<std::wstring> read_steps(const wchar_t* path)
{
    std::string bytes;
    if (FILE* file = _wfopen(path, L"rb")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
        std::fclose(file);
    }
    std::wstring all(bytes.size(), L'\0');
    all.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                            all.data(), static_cast<int>(all.size()))));
    std::vector<std::wstring> steps;
    for (std::size_t at = 0, end; at < all.size(); at = end + 1) {
        end = std::min(all.find(L'\n', at), all.size());
        std::wstring line = all.substr(at, end - at);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) steps.push_back(line);
    }
    return steps;
}

void run_step(const std::wstring& verb, const std::wstring& arg, DWORD& limit)
{
    if (verb == L"within") {
        limit = static_cast<DWORD>(std::wcstoul(arg.c_str(), nullptr, 10));
    } else if (verb == L"window") {
        wait_window(arg, limit);
        limit = WAIT_MS;
    } else if (verb == L"type") {
        HWND edit = child_with(need_child(NAME_FIELD_ID, L"ComboBoxEx32", L"file-name field"), -1, L"Edit");
        if (!edit) fail(L"no Edit in the file-name field");
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg.c_str()), SMTO_ABORTIFHUNG, 2000,
                                 &ignored)) {
            fail(L"could not type into the file-name field");
        }
    } else if (verb == L"name" || verb == L"folder") {
        bool name = verb == L"name";
        std::wstring seen = text_of(need_child(name ? NAME_FIELD_ID : FOLDER_LIST_ID, nullptr, verb.c_str()));
        say(verb + L" " + seen);
        if (seen != arg) fail(verb + L" shows \"" + seen + L"\", expected \"" + arg + L"\"");
    } else if (verb == L"button") {
        std::size_t space = arg.find(L' ');
        std::wstring which = arg.substr(0, space);
        std::wstring label = space == std::wstring::npos ? L"" : arg.substr(space + 1);
        std::wstring seen = text_of(need_child(which == L"ok" ? IDOK : IDCANCEL, L"Button", L"button"));
        say(L"button " + which + L" " + seen);
        if (seen != label) fail(L"button " + which + L" reads \"" + seen + L"\", expected \"" + label + L"\"");
    } else if (verb == L"text") {
        std::wstring seen = text_of(need_child(BOX_TEXT_ID, L"Static", L"message text"));
        say(L"text " + seen);
        if (!arg.empty() && seen != arg) fail(L"message \"" + seen + L"\", expected \"" + arg + L"\"");
    } else if (verb == L"shot") {
        take_shot(arg);
    } else if (verb == L"ok" || verb == L"cancel") {
        press(verb == L"ok" ? IDOK : IDCANCEL);
    } else if (verb == L"exit") {
        wait_exit(arg);
    } else {
        fail(L"unknown step " + verb);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        say(L"usage: robot PROGRAM.exe STEPS.txt [SHOTS_FOLDER]");
        return 2;
    }
    if (argc > 3) shots = argv[3];
    std::vector<std::wstring> steps = read_steps(argv[2]);
    if (steps.empty()) fail(L"no steps in " + std::wstring(argv[2]));

    std::vector<HANDLE> locks;
    std::size_t next = 0;
    for (; next < steps.size() && steps[next].rfind(L"lock ", 0) == 0; ++next) {
        std::wstring path = steps[next].substr(5);
        locks.push_back(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (locks.back() == INVALID_HANDLE_VALUE) fail(L"cannot lock " + path);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    if (!CreateProcessW(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program)) {
        fail(L"cannot start " + std::wstring(argv[1]));
    }
    DWORD limit = WAIT_MS;
    for (; next < steps.size(); ++next) {
        std::size_t space = steps[next].find(L' ');
        std::wstring verb = steps[next].substr(0, space);
        run_step(verb, space == std::wstring::npos ? L"" : steps[next].substr(space + 1), limit);
    }
    if (WaitForSingleObject(program.hProcess, 0) != WAIT_OBJECT_0) fail(L"steps done, program still running");
    for (HANDLE lock : locks) CloseHandle(lock);
    say(L"done");
    return 0;
}
