#include "platform/SystemErrors.h"

#include <locale.h>

#include <cerrno>
#include <cstring>

namespace pzam::platform {

namespace {

// A locale with the messages of name (nullptr when it is not installed) and UTF-8 characters,
// so that translated texts come out as UTF-8 whatever the user's character set.
locale_t MessagesLocale(const char* name) {
  locale_t messages = newlocale(LC_MESSAGES_MASK, name, locale_t(0));
  if (messages == locale_t(0)) return locale_t(0);
  if (locale_t both = newlocale(LC_CTYPE_MASK, "C.UTF-8", messages)) return both;
  return messages;
}

std::string TextIn(int err, locale_t locale) {
  if (locale != locale_t(0)) return strerror_l(err, locale);
  char buf[256];
  // GNU strerror_r returns the text, which may or may not be in buf.
  const char* text = strerror_r(err, buf, sizeof buf);
  return text ? std::string(text) : std::string();
}

}  // namespace

std::string SystemErrorText(int err, const std::string& messagesLocale) {
  static const locale_t c = MessagesLocale("C");
  locale_t locale = MessagesLocale(messagesLocale.c_str());
  const std::string text = TextIn(err, locale != locale_t(0) ? locale : c);
  if (locale != locale_t(0)) freelocale(locale);
  return text;
}

std::string SystemErrorText(int err) {
  // The user's messages locale as the environment names it, looked up once; C where it is not
  // installed.
  static const locale_t user = [] {
    locale_t l = MessagesLocale("");
    return l != locale_t(0) ? l : MessagesLocale("C");
  }();
  return TextIn(err, user);
}

bool IsDiskFull(int err) {
  return err == ENOSPC || err == EDQUOT;
}

}  // namespace pzam::platform
