#include "plotr/multiplayer/MpStrings.h"

#include <mutex>

#include "platform/simapi/MpMessages.h"
#include "platform/ui/StringTable.h"

void AddMultiplayerStrings() {
  static std::once_flag added;
  std::call_once(added, [] {
    ui::AddStrings({
        {mpstr::kHostMigrated, "The multiplayer Host has exited the Session.\nChartwright is now the new Host."},
        {mpstr::kConnectionLost, "The multiplayer connection is lost.\nChartwright closes the multiplayer session."},
        {mpstr::kRemovedByHost, "The Host has removed Chartwright from the session."},
        {mpstr::kInvalidPassword4, "Connect Failed! Invalid password."},
        {mpstr::kCannotOpenSession, "Cannot open the multiplayer Session. Try again."},
        {mpstr::kHostNotFound,
         "The Host with the specified IP address exists not\nor you are not connected with the Internet."},
        {mp::kReplyDuplicateCallsign, mp::AdmissionReplyText(mp::kReplyDuplicateCallsign)},
        {mp::kReplyNoMorePilots, mp::AdmissionReplyText(mp::kReplyNoMorePilots)},
        {mp::kReplyNoMoreObservers, mp::AdmissionReplyText(mp::kReplyNoMoreObservers)},
        {mpstr::kCouldNotConnect, "Could not connect to host"},
        {mpstr::kHostRejected, "Host rejected connection."},
        {mpstr::kInvalidPassword, "Invalid password."},
        {mpstr::kNoConnection, "No connection."},
        {mpstr::kNoResponse, "No response."},
        {mpstr::kSessionFull, "Session full."},
        {mpstr::kNotAllReachable, "Not all players were able to connect."},
        {mpstr::kUnknownError, "Unknown error."},
        {mpstr::kConnectFailed, "Connect Failed!"},
    });
  });
}
