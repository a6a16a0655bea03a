#include "measurement/ValueProcessing.h"

#include "measurement/NumberText.h"

namespace pzam::measurement {

namespace {

constexpr int kDisplayWidth = 8;

void CommaForPoint(std::string& text, char separator) {
  if (separator != ',') return;
  if (const std::size_t p = text.find('.'); p != std::string::npos) text[p] = ',';
}

// The character the decimals rule measures at: "," in the comma case, "." otherwise.
char DecimalsMark(char separator) {
  return separator == ',' ? ',' : '.';
}

// Mean, deviation, maximum and minimum: the text is read back and shown in its display format.
std::string Redisplay(std::string text, char separator) {
  CommaForPoint(text, separator);
  const int decimals = DecimalsOf(text, DecimalsMark(separator));
  return FormatFixed(StrToFloat(text, separator), kDisplayWidth, decimals, separator);
}

}  // namespace

TValueOutcome ProcessValue(TSharedTexts& texts, TRunStatistics& stats, char separator,
                           IRunView& view) {
  texts.Count = FormatCount(StrToInt(texts.Count));
  view.ShowPanel(TPanel::Pa_Anz, texts.Count);

  CommaForPoint(texts.Value, separator);
  long double read = 0;
  if (!TryStrToFloat(texts.Value, separator, read)) return TValueOutcome::NotANumber;
  const double v = static_cast<double>(read * stats.SignFactor());

  const TRunStatistics::TStep step = stats.Add(v);
  texts.Mean = FloatToText(step.Mean, separator);
  if (step.Deviation) texts.Deviation = FloatToText(*step.Deviation, separator);
  texts.Maximum = FloatToText(step.Maximum, separator);
  texts.Minimum = FloatToText(step.Minimum, separator);

  const int valueDecimals = DecimalsOf(texts.Value, DecimalsMark(separator));
  texts.Value = FormatFixed(v, kDisplayWidth, valueDecimals, separator);
  view.ShowPanel(TPanel::Pa_Ist, texts.Value);
  texts.Mean = Redisplay(texts.Mean, separator);
  view.ShowPanel(TPanel::Pa_Mwt, texts.Mean);
  texts.Deviation = Redisplay(texts.Deviation, separator);
  view.ShowPanel(TPanel::Pa_Stw, texts.Deviation);
  texts.Maximum = Redisplay(texts.Maximum, separator);
  view.ShowPanel(TPanel::Pa_Max, texts.Maximum);
  texts.Minimum = Redisplay(texts.Minimum, separator);
  view.ShowPanel(TPanel::Pa_Min, texts.Minimum);
  return TValueOutcome::Accepted;
}

std::string ValueLine(const std::string& batch, const std::string& time,
                      const TSharedTexts& texts) {
  return batch + " " + time + " " + texts.Count + " " + texts.Value + " " + texts.Mean + " " +
         texts.Deviation + " " + texts.Maximum + " " + texts.Minimum;
}

}  // namespace pzam::measurement
