#include "serial/SettingsText.h"

#include <gtest/gtest.h>

namespace pzam::serial {
namespace {

const std::string kExample =
    "MZT10030096004200001638400016384000000170190000819200000512063026023000000000000000000000000"
    "114";

TSerialSettings ExampleRecord() {
  TSerialSettings s;
  s.Valid = true;
  s.COMPort = 3;
  s.ParityBit = TParityBit::even;
  s.EventChar = 23;
  return s;
}

// Replaces characters at 1-based pos and fixes the check number.
std::string WithField(std::string text, size_t pos, const std::string& digits) {
  text.replace(pos - 1, digits.size(), digits);
  unsigned x = 0;
  for (size_t i = 0; i < 92; ++i) x ^= static_cast<unsigned char>(text[i]);
  char check[4];
  std::snprintf(check, sizeof check, "%03u", x);
  return text.substr(0, 92) + check + text.substr(95);
}

TEST(SettingsText, ExampleRecordGivesExampleTextAndBack) {
  EXPECT_EQ(SettingsToText(ExampleRecord()), kExample);
  TSerialSettings read;
  TextToSettings(kExample, read);
  EXPECT_EQ(read, ExampleRecord());
}

TEST(SettingsText, InvalidRecordGivesEmptyText) {
  TSerialSettings s = ExampleRecord();
  s.Valid = false;
  EXPECT_EQ(SettingsToText(s), "");
}

TEST(SettingsText, RejectedTexts) {
  std::string changedDigit = kExample;
  changedDigit[20] = '9';  // BufSizeTrm digit, old check number kept
  std::string badMark = kExample;
  badMark[3] = '2';
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"stored default", "0"},
      {"empty", ""},
      {"mark only", "MZT1"},
      {"cut to 94", kExample.substr(0, 94)},
      {"cut to 92", kExample.substr(0, 92)},
      {"changed digit", changedDigit},
      {"mark", badMark},
      {"data bits 7", WithField(kExample, 14, "7")},
      {"data bits 5", WithField(kExample, 14, "5")},
      {"parity 5", WithField(kExample, 15, "5")},
      {"stop bits 3", WithField(kExample, 16, "3")},
      {"baud 49", WithField(kExample, 8, "000049")},
      {"baud 921601", WithField(kExample, 8, "921601")},
      {"port not a number", WithField(kExample, 5, "0x3")},
      {"boolean not a number", WithField(kExample, 35, "A")},
      {"limit with blank", WithField(kExample, 44, "0000 192")},
      {"time-out two signs", WithField(kExample, 73, "+-00000000")},
      {"check not a number", kExample.substr(0, 92) + "1x4"},
  };
  for (const auto& c : cases) {
    TSerialSettings s;
    s.Valid = true;
    TextToSettings(c.text, s);
    EXPECT_FALSE(s.Valid) << c.what;
  }
}

TEST(SettingsText, AcceptedVariants) {
  TSerialSettings s;
  // Booleans above 0 read as true.
  TextToSettings(WithField(kExample, 33, "22222"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_TRUE(s.HandshakeRtsCts && s.HandshakeDtrDsr && s.HandshakeXOnXOff && s.RTSActive &&
              s.DTRActive);
  // Character fields take their leading digits, low 8 bits, and never reject.
  TextToSettings(WithField(kExample, 38, "999"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(static_cast<unsigned char>(s.XOnChar), 999u & 0xFF);
  TextToSettings(WithField(kExample, 60, "7x9"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(s.ErrorChar, 7);
  TextToSettings(WithField(kExample, 66, "abc"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(s.EventChar, 0);
  // Port, sizes, limits and time-outs take any number, the setters' rules are not applied.
  TextToSettings(WithField(kExample, 25, "00000100"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(s.BufSizeRec, 100);
  TextToSettings(WithField(kExample, 73, "-000000005"), s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(s.RecTimeOut, -5);
  // Characters past 95 are ignored.
  TextToSettings(kExample + "trailing text", s);
  EXPECT_TRUE(s.Valid);
}

TEST(SettingsText, ZeroCharacterEndsAField) {
  // A field is read up to the first zero character: "00\0" reads as 0.
  std::string text = kExample;
  text[6] = '\0';  // last character of COMPort
  TSerialSettings s;
  unsigned x = 0;
  for (size_t i = 0; i < 92; ++i) x ^= static_cast<unsigned char>(text[i]);
  char check[4];
  std::snprintf(check, sizeof check, "%03u", x);
  TextToSettings(text.substr(0, 92) + check, s);
  ASSERT_TRUE(s.Valid);
  EXPECT_EQ(s.COMPort, 0);
}

TEST(SettingsText, WideNumbersKeepTheirLeftmostDigits) {
  TSerialSettings s = ExampleRecord();
  s.BufSizeTrm = 123456789;
  s.COMPort = 1234;
  const std::string text = SettingsToText(s);
  ASSERT_EQ(text.size(), 95u);
  EXPECT_EQ(text.substr(16, 8), "12345678");
  TSerialSettings read;
  TextToSettings(text, read);
  ASSERT_TRUE(read.Valid);
  EXPECT_EQ(read.BufSizeTrm, 12345678);
  EXPECT_EQ(read.COMPort, 123);
}

TEST(SettingsText, EveryFieldRoundTrips) {
  TSerialSettings s;
  s.Valid = true;
  s.COMPort = 99;
  s.Baudrate = 921600;
  s.DataBits = TDataBits::db_5;
  s.ParityBit = TParityBit::space;
  s.StopBits = TStopBits::sb_2;
  s.BufSizeTrm = 99999999;
  s.BufSizeRec = 4096;
  s.HandshakeRtsCts = s.HandshakeXOnXOff = s.DTRActive = true;
  s.XOnChar = static_cast<char>(255);
  s.XOffChar = 0;
  s.XOffLimit = 4096;
  s.XOnLimit = 0;
  s.ErrorChar = static_cast<char>(128);
  s.EofChar = 1;
  s.EventChar = 13;
  s.UseErrorChar = s.AbortOnError = true;
  s.RecTimeOut = 2147483647;
  s.TrmTimeOut = -123456789;  // negative numbers keep their sign in front of the zeros
  TSerialSettings read;
  TextToSettings(SettingsToText(s), read);
  EXPECT_EQ(read, s);
}

}  // namespace
}  // namespace pzam::serial
