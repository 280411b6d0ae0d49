#pragma once
// The API keys of the three cloud model providers, kept between runs in
// "schluessel.json" in the application's folder: one compact JSON object
// from service name to key. Despite the name no system keychain is used;
// the only protection is that the file (like its folder) is the owner's
// alone: from its first byte when written here, and narrowed to that when
// read. Stateless: every call reads the file afresh. A file that is not an
// object of strings counts as empty and is moved aside by the next save that
// changes something (StoreFile).
//
// Keys are trimmed of surrounding blanks and line breaks on the way in and
// out: a pasted or hand-edited key keeps no stray line feed that every
// request would carry. Saves of several instances never lose each other's keys.
#include <QString>

#include <optional>

namespace tovrane::app {

struct Keychain {
  // Stored keys are found by these names only; they must never change.
  static constexpr const char* anthropicService = "de.tovrane.TovraneAndroid.anthropic";
  static constexpr const char* openAIService = "de.tovrane.TovraneAndroid.openai";
  static constexpr const char* geminiService = "de.tovrane.TovraneAndroid.gemini";

  // The key file's path; the folder is created first when missing.
  static QString file();
  // The stored key; nullopt when absent, blank or unreadable.
  static std::optional<QString> load(const QString& service);
  // Stores the key, or removes the service's entry when it is blank. The
  // file is written only when this changes the stored value. Throws
  // StoreError when the file cannot be written.
  static void save(const QString& key, const QString& service);
};

}  // namespace tovrane::app
