// SPDX-License-Identifier: MIT
// Runs of the real programs on Windows: CreateProcessW with the standard streams
// redirected to files, the arguments quoted as the programs' command-line parser
// reads them back. A console event is delivered as Windows itself delivers one: a
// thread started in the program at kernel32's CtrlRoutine, which runs the program's
// control handlers (GenerateConsoleCtrlEvent needs a console the test shares with
// the program, which a headless run has not).
#include <windows.h>
// clang-format off: psapi.h needs windows.h before it.
#include <psapi.h>
// clang-format on

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
  return wide;
}

// One argument as CommandLineToArgvW reads it back: quoted when it must be, with the
// backslashes before a quote doubled.
std::wstring QuotedArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

namespace {

HANDLE Inheritable(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE handle = ::CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return handle;
}

// The test's own environment with `settings` ("NAME=value") added or replacing.
std::wstring EnvironmentBlock(const std::vector<std::string>& settings) {
  std::vector<std::wstring> entries;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
    entries.emplace_back(entry);
  }
  ::FreeEnvironmentStringsW(block);
  for (const std::string& setting : settings) {
    // "NAME=value" replaces NAME; "NAME" alone removes it.
    const std::wstring wide = Wide(setting);
    const size_t equals = wide.find(L'=');
    const std::wstring name = wide.substr(0, equals) + L'=';
    std::erase_if(entries, [&](const std::wstring& e) {
      return _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0;
    });
    if (equals != std::wstring::npos) entries.push_back(wide);
  }
  std::wstring joined;
  for (const std::wstring& entry : entries) joined += entry + L'\0';
  return joined + L'\0';
}

// True when `folder` holds a name that begins with `prefix`.
bool HoldsNameStartingWith(const std::string& folder, const std::string& prefix) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(std::filesystem::u8path(folder), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::u8string name = it->path().filename().u8string();
    if (std::string(name.begin(), name.end()).starts_with(prefix)) return true;
  }
  return false;
}

// Makes the program meet console event `event`, as from its console.
void DeliverConsoleEvent(HANDLE process, int event) {
  // kernel32 sits at the same address in every process of a session.
  auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CtrlRoutine")));
  if (routine == nullptr) throw std::runtime_error("kernel32 has no CtrlRoutine");
  HANDLE thread =
      ::CreateRemoteThread(process, nullptr, 0, routine,
                           reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)), 0, nullptr);
  // Failing only when the program has ended already.
  if (thread != nullptr) ::CloseHandle(thread);
}

}  // namespace

ProgramResult RunToEnd(const ProgramRun& run) {
  if (run.user || run.umask || run.file_size_limit) {
    throw std::runtime_error("users, umasks and size limits are POSIX runs only");
  }
  static std::atomic<int> counter = 0;
  const std::filesystem::path io = std::filesystem::temp_directory_path() /
                                   ("marrowlock-run-" + std::to_string(::GetCurrentProcessId()) +
                                    "-" + std::to_string(counter++));
  std::filesystem::create_directory(io);
  const std::string in_path = (io / "in").string(), out_path = (io / "out").string(),
                    err_path = (io / "err").string();
  WriteFile(in_path, run.input);
  HANDLE in = Inheritable(in_path, GENERIC_READ, OPEN_EXISTING);
  HANDLE out = Inheritable(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = Inheritable(err_path, GENERIC_WRITE, CREATE_ALWAYS);

  std::wstring command_line = QuotedArgument(Wide(run.program));
  for (const std::string& arg : run.args) command_line += L" " + QuotedArgument(Wide(arg));
  std::wstring environment = EnvironmentBlock(run.environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(run.folder);
  // Under Wine a start now and then fails for no reason of the program's (one start of
  // the thousands in a whole run, in one run out of several); it is tried again.
  bool started = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    if (attempt > 0) ::Sleep(200);
    started = ::CreateProcessW(Wide(run.program).c_str(), command_line.data(), nullptr, nullptr,
                               TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                               environment.data(), folder.c_str(), &startup, &process);
    if (!started) error = ::GetLastError();
  }
  ::CloseHandle(in);
  ::CloseHandle(out);
  ::CloseHandle(err);
  if (!started) {
    throw std::runtime_error("cannot start " + run.program + " (error " + std::to_string(error) +
                             ")");
  }

  ProgramResult result;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      start + std::chrono::milliseconds(static_cast<int64_t>(run.timeout_seconds * 1000));
  bool signalled = false;
  DWORD waited = WAIT_TIMEOUT;
  while (waited == WAIT_TIMEOUT && Clock::now() < deadline) {
    if (run.signal_after && !signalled &&
        Clock::now() >= start + std::chrono::duration<double>(run.signal_after->second)) {
      DeliverConsoleEvent(process.hProcess, run.signal_after->first);
      signalled = true;
    }
    if (run.signal_when_named && !signalled &&
        HoldsNameStartingWith(run.folder, run.signal_when_named->second)) {
      DeliverConsoleEvent(process.hProcess, run.signal_when_named->first);
      signalled = true;
    }
    const bool watching = (run.signal_after || run.signal_when_named) && !signalled;
    waited = ::WaitForSingleObject(process.hProcess, watching ? 2 : 50);
  }
  if (waited != WAIT_OBJECT_0) {
    result.hung = true;
    ::TerminateProcess(process.hProcess, 137);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  PROCESS_MEMORY_COUNTERS memory{};
  if (::K32GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory))) {
    result.peak_memory_bytes = static_cast<int64_t>(memory.PeakWorkingSetSize);
  }
  result.status = static_cast<int>(code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  std::error_code ec;
  std::filesystem::remove_all(io, ec);
  return result;
}

std::vector<Interruption> Interruptions() {
  return {{kCtrlC, "Ctrl+C", kEndedByConsoleEvent},
          {kCtrlBreak, "Ctrl+Break", kEndedByConsoleEvent},
          {kConsoleClosed, "console closed", kEndedByConsoleEvent}};
}

bool ChangeOwner(const std::string& /*path*/, uid_t /*user*/) { return false; }

std::string WhyNoOtherUser() { return "Windows tests do not act as a second user"; }

}  // namespace marrowlock
