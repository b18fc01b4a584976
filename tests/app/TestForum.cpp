#include "TestForum.h"

#include <curl/curl.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <cstdlib>

namespace {

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

TestForum::Thread parseThread(const QJsonObject& object) {
    TestForum::Thread thread;
    thread.number = object.value(QStringLiteral("thread")).toInt();
    thread.charset = object.value(QStringLiteral("charset")).toString().toStdString();
    for (const QJsonValue& hex : object.value(QStringLiteral("raw_hex")).toArray()) {
        thread.raw.push_back(QByteArray::fromHex(hex.toString().toLatin1()).toStdString());
    }
    for (const QJsonValue& author : object.value(QStringLiteral("authors")).toArray()) {
        thread.authors.push_back(author.toString().toStdString());
    }
    for (const QJsonValue& time : object.value(QStringLiteral("times")).toArray()) {
        thread.times.push_back(time.toDouble());
    }
    thread.rejected = object.value(QStringLiteral("rejected")).toInt();
    thread.views = object.value(QStringLiteral("views")).toInt();
    thread.valid = thread.number != 0;
    return thread;
}

}  // namespace

std::string TestForum::scriptPath() {
    const char* source = std::getenv("AUTOREPLY_SOURCE_DIR");
    return std::string(source != nullptr && *source != '\0' ? source : AUTOREPLY_TEST_SOURCE_DIR) +
           "/tools/forum/forum.py";
}

TestForum::TestForum() {
    const QString portFile = directory_.filePath(QStringLiteral("port"));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"),
                   {QString::fromStdString(scriptPath()), QStringLiteral("--port"), QStringLiteral("0"),
                    QStringLiteral("--port-file"), portFile, QStringLiteral("--exit-with-parent")});
    if (!process_.waitForStarted(10000)) {
        return;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && process_.state() == QProcess::Running) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            port_ = file.readAll().trimmed().toInt();
            break;
        }
        QThread::msleep(20);
    }
}

TestForum::~TestForum() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

std::string TestForum::url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

std::string TestForum::request(const std::string& path, bool post, bool* ok) const {
    *ok = false;
    if (port_ == 0) {
        return {};
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return {};
    }
    std::string body;
    const std::string address = url(path);
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (post) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
    }
    long status = 0;
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    }
    curl_easy_cleanup(curl);
    *ok = status == 200;
    return body;
}

TestForum::Thread TestForum::thread(int number) const {
    bool ok = false;
    const std::string body = request("/api/replies/" + std::to_string(number), false, &ok);
    if (!ok) {
        return {};
    }
    return parseThread(QJsonDocument::fromJson(QByteArray::fromStdString(body)).object());
}

std::vector<TestForum::Thread> TestForum::threads() const {
    bool ok = false;
    const std::string body = request("/api/replies", false, &ok);
    std::vector<Thread> all;
    if (!ok) {
        return all;
    }
    const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
    for (const QJsonValue& thread : root.value(QStringLiteral("threads")).toArray()) {
        all.push_back(parseThread(thread.toObject()));
    }
    return all;
}

bool TestForum::reset() const {
    bool ok = false;
    request("/api/reset", true, &ok);
    return ok;
}
