#pragma once

#include "pjlink/poller.h"

#include <map>
#include <memory>
#include <string>

namespace orva::pjlink {

// The bridge's metrics in Prometheus' terms, labelled `projector` with the
// projector's section name, and their HTTP endpoint. Fed plain values on the
// event thread; a scrape, on the endpoint's own threads, reads what was last
// fed and never waits for a line. The only part of the program that knows
// the client library (Debian prometheus-cpp).
class Metrics {
public:
    enum class Outcome { Reply, Timeout, Error };

    Metrics();
    ~Metrics();
    Metrics(const Metrics&) = delete;
    Metrics& operator=(const Metrics&) = delete;

    // A projector's series appear with `orva_up` 0 and the counters at 0;
    // its readings appear with the first poll that reads them.
    void addProjector(const std::string& name);
    void removeProjector(const std::string& name);

    // A poll that reached the projector sets every reading (a value it could
    // not read takes its series away); one that did not sets `orva_up` 0 and
    // the poll's duration, and leaves the readings as they were last read.
    void publish(const std::string& name, const PollSample& sample);
    void countTransaction(const std::string& name, Outcome outcome);
    void countConnection(const std::string& name);
    void countAuthFailure(const std::string& name);

    // The exposition in the text format, as a scrape gets it.
    std::string text() const;

    // Serves GET /metrics on `address` (HOST:PORT, an IPv6 host in brackets;
    // port 0 takes a free one), with HTTP basic authentication when `user`
    // is set. Connections that are slow to send their request are cut after
    // a short time-out, and enough threads serve that a few of them never
    // keep a scrape waiting. In place of the endpoint served so far: false,
    // and why, when the new one cannot listen; the old one then goes on.
    bool serve(const std::string& address, std::string& why, const std::string& user = {},
               const std::string& password = {});
    // No endpoint any more (the port is released).
    void stopServing();
    // The port served, 0 when none.
    int port() const;

    // How the endpoint's HTTP server is run.
    static constexpr int kThreads = 16;
    static constexpr int kRequestTimeoutMs = 3000;

private:
    struct Families;
    struct Series;
    std::unique_ptr<Families> families_;
    std::map<std::string, std::unique_ptr<Series>> projectors_;
    struct Served {
        std::string address, user, password;
    };
    Served served_;
};

} // namespace orva::pjlink
