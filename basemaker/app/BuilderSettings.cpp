#include "basemaker/app/BuilderSettings.h"

#include "platform/profile/Profile.h"

CBuilderSettings::CBuilderSettings(std::filesystem::path profileFile)
    : m_profileFile(std::move(profileFile)) {}

int CBuilderSettings::GetSimVer() {
  if (m_simVer < 0) {
    m_simVer = m_profileFile.empty()
                   ? kSimVerDefault
                   : profile::GetInt(m_profileFile, "Essential", "SimVer", kSimVerDefault);
  }
  return m_simVer;
}
