// Host enumeration: a searcher repeats a UDP query to the host address or to the configured
// search targets; a host answers with its description and TCP port.
#include "platform/dplay/EngineImpl.h"

#include "platform/win/Clock.h"

namespace dplay {

using asio::ip::udp;

Result Engine::Impl::StartSearch(const EnumRequest& request, Handle* handle) {
  if (m_role == Role::Closed) return Result::InvalidCall;
  auto search = std::make_shared<Search>();
  search->handle = m_nextHandle++;
  search->request = request;
  search->queryId = search->handle ^ 0x5EA2C000u;
  search->intervalMs = request.intervalMs ? request.intervalMs : m_config.enumIntervalMs;
  search->timeoutMs = request.timeoutMs ? request.timeoutMs : m_config.enumTimeoutMs;
  if (request.count == 0) return Result::InvalidParam;

  // The search's own socket, on the device port when it is free.
  std::vector<uint16_t> tries;
  if (request.device.port != 0) tries.push_back(request.device.port);
  if (request.device.port == 0 || request.device.portRecommended) tries.push_back(0);
  for (uint16_t port : tries) {
    std::error_code ec;
    auto socket = std::make_unique<udp::socket>(m_io);
    socket->open(udp::v4(), ec);
    if (ec) break;
    socket->set_option(asio::socket_base::broadcast(true), ec);
    socket->bind(udp::endpoint(udp::v4(), port), ec);
    if (ec) continue;
    search->device = Address{"", socket->local_endpoint(ec).port(), false};
    search->socket = std::move(socket);
    break;
  }
  if (!search->socket) return Result::InvalidDeviceAddress;

  const uint16_t port = request.host.port ? request.host.port : m_config.port;
  if (request.host.host.empty()) {
    for (const auto& target : m_config.lanTargets) {
      std::error_code ec;
      auto address = asio::ip::make_address_v4(target, ec);
      if (!ec) search->targets.emplace_back(address, port);
    }
    search->ready = true;
    search->nextQuery = SteadyClock::now();
  } else {
    search->resolver = std::make_shared<udp::resolver>(m_io);
    search->resolver->async_resolve(
        udp::v4(), request.host.host, std::to_string(port),
        [this, search](std::error_code ec, udp::resolver::results_type results) {
          if (search->done) return;
          if (ec || results.empty()) {
            EndSearch(search, Result::InvalidHostAddress);
            return;
          }
          for (const auto& entry : results) search->targets.push_back(entry.endpoint());
          search->ready = true;
          search->nextQuery = SteadyClock::now();
          SearchSweep(SteadyClock::now());
        });
  }
  m_searches[search->handle] = search;
  if (handle) *handle = search->handle;
  SearchReceive(search);
  if (search->ready) SearchSweep(SteadyClock::now());
  return Result::Pending;
}

void Engine::Impl::SearchReceive(const std::shared_ptr<Search>& search) {
  search->socket->async_receive_from(
      asio::buffer(search->buffer), search->from, [this, search](std::error_code ec, size_t n) {
        if (search->done || ec == asio::error::operation_aborted) return;
        if (!ec) {
          auto response = wire::DecodeEnumResponse(std::span<const uint8_t>(search->buffer.data(), n));
          const Guid& wanted = search->request.application;
          if (response && response->queryId == search->queryId &&
              (wanted.IsNull() || response->description.application == wanted)) {
            response->description.password.clear();
            m_listener.OnEnumResponse(search->handle, search->request.context,
                                      Address{search->from.address().to_string(), response->port, false},
                                      search->device, std::move(response->description),
                                      win::GetTickCount() - response->sentTick);
          }
        }
        SearchReceive(search);
      });
}

void Engine::Impl::SearchSweep(SteadyClock::time_point now) {
  auto searches = m_searches;
  for (auto& [handle, search] : searches) {
    if (search->done || !search->ready) continue;
    const bool forever = search->request.count == UINT32_MAX;
    if (!forever && search->sent >= search->request.count) {
      if (now >= search->endAt) EndSearch(search, Result::Ok);
      continue;
    }
    if (now < search->nextQuery) continue;
    auto datagram = std::make_shared<std::vector<uint8_t>>(wire::EncodeDatagram(
        wire::EnumQuery{search->request.application, search->queryId, win::GetTickCount()}));
    for (const auto& target : search->targets)
      search->socket->async_send_to(asio::buffer(*datagram), target,
                                    [datagram](std::error_code, size_t) {});
    ++search->sent;
    search->nextQuery = now + std::chrono::milliseconds(search->intervalMs);
    if (!forever && search->sent >= search->request.count)
      search->endAt = now + std::chrono::milliseconds(search->timeoutMs);
  }
}

void Engine::Impl::EndSearch(std::shared_ptr<Search> search, Result result) {
  if (search->done) return;
  search->done = true;
  std::error_code ec;
  if (search->socket) search->socket->close(ec);
  if (search->resolver) search->resolver->cancel();
  m_searches.erase(search->handle);
  m_listener.OnAsyncComplete(search->handle, search->request.context, result);
}

void Engine::Impl::AnswerQuery(const wire::EnumQuery& query, const udp::endpoint& from) {
  if (m_role != Role::Host || !m_udp) return;
  if (!query.application.IsNull() && query.application != m_desc.application) return;
  wire::EnumResponse response;
  response.queryId = query.queryId;
  response.sentTick = query.sentTick;
  response.port = m_listenPort;
  response.description = Shared();
  auto datagram = std::make_shared<std::vector<uint8_t>>(wire::EncodeDatagram(response));
  m_udp->async_send_to(asio::buffer(*datagram), from, [datagram](std::error_code, size_t) {});
}

}  // namespace dplay
