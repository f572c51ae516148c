// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace marrowlock {

// Naming rules for encrypted and decrypted files. Every rule looks at the file-name
// part of a path only (after its last '/'), so a dot in a folder name never decides;
// dots at the very start of the file name (".notes") are not extension dots.

// Final name of a file encrypted in binary mode: "dir/report.txt" -> "dir/report.enc".
std::string EncryptedNameFor(const std::string& source);

// Final name typed for text encrypted in text mode: ".enc" appended unless the name
// already ends in ".enc" in any letter case.
std::string TypedEncryptedName(const std::string& typed);

// The encrypted file a decryption opens for a given name: "ledger" and "ledger.dec"
// open "ledger.enc"; an extension that already reads "enc" in another case
// ("LEDGER.ENC") is kept, since on this system "LEDGER.enc" would be another file.
std::string EncryptedFileToOpen(const std::string& name);

// Name of the decrypted file of an unattended command-line run: the file name up to
// its first extension dot, then "dec" ("x.y.enc" -> "x.dec").
std::string BatchDecryptedName(const std::string& encrypted);

}  // namespace marrowlock
