// SPDX-License-Identifier: MIT
// Runs of the real programs on Windows: CreateProcessW with the standard streams
// redirected to files, the arguments quoted as the programs' command-line parser
// reads them back.
#include <windows.h>

#include <filesystem>
#include <stdexcept>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace marrowlock {
namespace {

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
std::wstring Quoted(const std::wstring& arg) {
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
    const std::wstring wide = Wide(setting);
    const std::wstring name = wide.substr(0, wide.find(L'=') + 1);
    std::erase_if(entries, [&](const std::wstring& e) {
      return _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0;
    });
    entries.push_back(wide);
  }
  std::wstring joined;
  for (const std::wstring& entry : entries) joined += entry + L'\0';
  return joined + L'\0';
}

}  // namespace

ProgramResult RunToEnd(const ProgramRun& run) {
  if (run.signal_after || run.user || run.umask || run.file_size_limit) {
    throw std::runtime_error("signals, users, umasks and size limits are POSIX runs only");
  }
  static int counter = 0;
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

  std::wstring command_line = Quoted(Wide(run.program));
  for (const std::string& arg : run.args) command_line += L" " + Quoted(Wide(arg));
  std::wstring environment = EnvironmentBlock(run.environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const std::wstring folder = Wide(run.folder);
  const bool started =
      ::CreateProcessW(Wide(run.program).c_str(), command_line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                       folder.c_str(), &startup, &process);
  ::CloseHandle(in);
  ::CloseHandle(out);
  ::CloseHandle(err);
  if (!started) throw std::runtime_error("cannot start " + run.program);

  ProgramResult result;
  const DWORD waited =
      ::WaitForSingleObject(process.hProcess, static_cast<DWORD>(run.timeout_seconds * 1000));
  if (waited != WAIT_OBJECT_0) {
    result.hung = true;
    ::TerminateProcess(process.hProcess, 137);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  result.status = static_cast<int>(code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  std::error_code ec;
  std::filesystem::remove_all(io, ec);
  return result;
}

std::string WhyNoOtherUser() { return "Windows tests do not act as a second user"; }

}  // namespace marrowlock
