#include "ToolRun.h"

#include <iostream>

#include "common/Paths.h"

namespace pzam::tool {

void TStdoutView::AddMemoLine(const std::string& line) {
  std::cout << line << '\n';
  if (FFlushEachLine) std::cout.flush();
}

TOptionChoices::TOptionChoices(const TRunOptions& o)
    : FOptions(o), FFormat(SystemFormatSettings()) {
  if (o.Decimal) FFormat.DecimalSeparator = *o.Decimal;
  FTexts.Load(ExecutableDir(), o.Language);
}

}  // namespace pzam::tool
