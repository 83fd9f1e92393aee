#include "ChildJob.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <map>
#include <string>

namespace {

const char JobVariable[] = "ZELK_TEST_CHILD_JOB";
const char ArgumentVariable[] = "ZELK_TEST_CHILD_ARGUMENT";

std::map<std::string, ChildJob>& jobs() {
    static std::map<std::string, ChildJob> registered;
    return registered;
}

} // namespace

bool registerChildJob(const char* name, ChildJob job) {
    return jobs().emplace(name, job).second;
}

void startChildJob(QProcess& child, const char* name, const QString& argument) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(JobVariable, QString::fromLatin1(name));
    env.insert(ArgumentVariable, argument);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
}

int runChildJobIfAsked() {
    const std::string name = qgetenv(JobVariable).toStdString();
    if (name.empty())
        return -1;
    const auto found = jobs().find(name);
    if (found == jobs().end()) {
        std::fprintf(stderr, "no child job %s\n", name.c_str());
        return 2;
    }
    found->second(QString::fromLocal8Bit(qgetenv(ArgumentVariable)));
    return 0;
}
