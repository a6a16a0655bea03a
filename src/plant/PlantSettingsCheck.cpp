#include "plant/PlantSettingsCheck.h"

#include <filesystem>
#include <fstream>

#include "plant/BrokerUrl.h"
#include "plant/PlantMessages.h"
#include "plant/PrivateFile.h"

namespace pzam::plant {

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::map<TPlantField, std::string> CheckPlantSettings(const TPlantSettings& s) {
  std::map<TPlantField, std::string> problems;
  if (!s.Station.empty() && !IsStationName(s.Station))
    problems[TPlantField::Station] =
        "1 to 64 characters without '/', '+', '#' or control characters";
  TBrokerUrl url;
  std::string error;
  if (!s.Broker.empty() && !ParseBrokerUrl(s.Broker, url, error))
    problems[TPlantField::Broker] = error;
  if (!s.User.empty() && s.Broker.empty()) problems[TPlantField::User] = "needs a broker";
  std::string secret;
  if (!s.PasswordFile.empty() && !ReadSecretFile(s.PasswordFile, secret, error))
    problems[TPlantField::PasswordFile] = error;
  std::error_code ec;
  if (!s.CAFile.empty()) {
    if (!std::filesystem::is_regular_file(PathOf(s.CAFile), ec))
      problems[TPlantField::CAFile] = "no such file";
    else if (!std::ifstream(PathOf(s.CAFile)).good())
      problems[TPlantField::CAFile] = "cannot be read";
  }
  if (!s.Journal.empty()) {
    const std::filesystem::path journal = PathOf(s.Journal);
    if (!journal.is_absolute())
      problems[TPlantField::Journal] = "must be a full path";
    else if (!std::filesystem::is_directory(journal.parent_path(), ec))
      problems[TPlantField::Journal] = "its folder does not exist";
    else if (std::filesystem::is_directory(journal, ec))
      problems[TPlantField::Journal] = "is a folder";
  }
  return problems;
}

}  // namespace pzam::plant
