#pragma once

#include <QString>

class QProcess;

// Work that a crash test runs in a child process of its own and kills in the middle.
// The child is this test program started again with the job's name and argument in its
// environment: it runs the job instead of the tests.
using ChildJob = void (*)(const QString& argument);

// Registers a job under a name (at static initialisation: `const bool x = ...`).
bool registerChildJob(const char* name, ChildJob job);
// Starts this program as a child that runs the named job with the argument.
void startChildJob(QProcess& child, const char* name, const QString& argument);
// In main: the exit status of the job the environment names, or -1 when there is none.
int runChildJobIfAsked();
