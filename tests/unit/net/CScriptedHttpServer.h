// A tiny HTTP server on loopback for client tests: it answers every request with what the test's function
// returns and keeps each request's raw target and body. Given a certificate and its key (PEM), it speaks
// HTTPS instead (libmicrohttpd with GnuTLS).
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <microhttpd.h>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <vector>

class CScriptedHttpServer {
public:
    struct SReply {
        unsigned int status = 200;
        std::string body;
        std::uint64_t generatedSize = 0; // when set: a body of this many "x" bytes, made as it is sent
    };
    struct SSeen {
        std::string target;
        std::string body;
        bool started = false;
    };
    using FAnswer = std::function<SReply(const SSeen&)>;

    explicit CScriptedHttpServer(FAnswer answer, std::string certificatePem = {}, std::string keyPem = {})
        : mAnswer(std::move(answer)), mCertificate(std::move(certificatePem)), mKey(std::move(keyPem)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool tls = !mCertificate.empty();
        // Without TLS the key and certificate options are read past: MHD_OPTION_END comes first then.
        mDaemon = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | (tls ? MHD_USE_TLS : 0),
                                   0, nullptr, nullptr, &fHandle, this, MHD_OPTION_SOCK_ADDR,
                                   reinterpret_cast<const sockaddr*>(&address), MHD_OPTION_URI_LOG_CALLBACK,
                                   &fKeepTarget, nullptr, MHD_OPTION_NOTIFY_COMPLETED, &fDone, nullptr,
                                   tls ? MHD_OPTION_HTTPS_MEM_KEY : MHD_OPTION_END, mKey.c_str(),
                                   MHD_OPTION_HTTPS_MEM_CERT, mCertificate.c_str(), MHD_OPTION_END);
        if (mDaemon == nullptr) {
            throw std::runtime_error("the scripted server cannot start");
        }
        mPort = MHD_get_daemon_info(mDaemon, MHD_DAEMON_INFO_BIND_PORT)->port;
    }
    ~CScriptedHttpServer() { MHD_stop_daemon(mDaemon); }
    CScriptedHttpServer(const CScriptedHttpServer&) = delete;
    CScriptedHttpServer& operator=(const CScriptedHttpServer&) = delete;

    std::string fAddress() const { return "127.0.0.1:" + std::to_string(mPort); }
    std::vector<SSeen> fSeen() const {
        const std::lock_guard<std::mutex> lock(mMutex);
        return mSeen;
    }

private:
    static void* fKeepTarget(void*, const char* uri, MHD_Connection*) { return new SSeen{uri, {}}; }
    static void fDone(void*, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
        delete static_cast<SSeen*>(*context);
    }
    static ssize_t fGenerate(void*, std::uint64_t, char* buffer, std::size_t max) {
        std::memset(buffer, 'x', max);
        return static_cast<ssize_t>(max);
    }
    static MHD_Result fHandle(void* self, MHD_Connection* connection, const char*, const char*, const char*,
                              const char* data, std::size_t* size, void** context) {
        auto* server = static_cast<CScriptedHttpServer*>(self);
        auto* seen = static_cast<SSeen*>(*context);
        if (!seen->started) {
            seen->started = true; // headers only; the body follows
            return MHD_YES;
        }
        if (*size != 0) {
            seen->body.append(data, *size);
            *size = 0;
            return MHD_YES;
        }
        SReply reply;
        {
            const std::lock_guard<std::mutex> lock(server->mMutex);
            server->mSeen.push_back(*seen);
            reply = server->mAnswer(*seen);
        }
        MHD_Response* response = reply.generatedSize > 0
                                     ? MHD_create_response_from_callback(reply.generatedSize, 64 * 1024,
                                                                         &fGenerate, nullptr, nullptr)
                                     : MHD_create_response_from_buffer(reply.body.size(), reply.body.data(),
                                                                       MHD_RESPMEM_MUST_COPY);
        const MHD_Result result = MHD_queue_response(connection, reply.status, response);
        MHD_destroy_response(response);
        return result;
    }

    FAnswer mAnswer;
    std::string mCertificate;
    std::string mKey;
    MHD_Daemon* mDaemon = nullptr;
    int mPort = 0;
    mutable std::mutex mMutex;
    std::vector<SSeen> mSeen;
};
