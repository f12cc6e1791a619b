#include "DocumentRun.h"

#include "HostCore.h"
#include "MaterialReport.h"
#include "MaterialXCalls.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QString>

#include <cstdio>

namespace
{

void collect(MaterialXCalls& calls, const char* step, DocumentRun& r)
{
    for (const std::string& m : messageLines(calls.getError()))
        r.messages.push_back(step ? std::string(step) + ": " + m : m);
}

double secondsSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

DocumentRun importDocument(MaterialXCalls& calls, const std::string& input)
{
    DocumentRun r;
    r.input = input;
    QElapsedTimer timer;
    timer.start();
    std::vector<Mtl*> materials;
    if (calls.importMtlX(input, materials, r.problem))
    {
        collect(calls, nullptr, r);
        r.materials = static_cast<int>(materials.size());
        r.maps = countMaps(materials);
    }
    r.seconds = secondsSince(timer);
    Norvane::Host().NewScene();
    return r;
}

DocumentRun roundTripDocument(MaterialXCalls& calls, const std::string& input, const std::string& output,
                              const std::string& version)
{
    DocumentRun r;
    r.input = input;
    r.output = output;
    QElapsedTimer timer;
    timer.start();
    std::vector<Mtl*> materials;
    if (calls.importMtlX(input, materials, r.problem))
    {
        collect(calls, "import", r);
        r.materials = static_cast<int>(materials.size());
        r.maps = countMaps(materials);
        bool clean = false;
        if (calls.exportMtlX(output, materials, clean, r.problem, version))
        {
            collect(calls, "export", r);
            // What is read back is counted, not compared: the first scene goes
            // before it comes, and a round trip holds one scene at a time.
            Norvane::Host().NewScene();
            std::vector<Mtl*> again;
            if (calls.importMtlX(output, again, r.problem))
            {
                collect(calls, "read back", r);
                r.readBack = static_cast<int>(again.size());
                if (r.readBack != r.materials)
                    r.problem = "read back " + std::to_string(r.readBack) + " of " + std::to_string(r.materials) + " materials";
            }
        }
    }
    r.seconds = secondsSince(timer);
    Norvane::Host().NewScene();
    return r;
}

std::string secondsText(double seconds)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f s", seconds);
    return buf;
}

QJsonObject toJson(const DocumentRun& run)
{
    QJsonArray messages;
    for (const std::string& m : run.messages)
        messages.append(QString::fromStdString(m));
    return { { "input", QString::fromStdString(run.input) },
             { "output", QString::fromStdString(run.output) },
             { "materials", run.materials },
             { "maps", run.maps },
             { "readBack", run.readBack },
             { "messages", messages },
             { "problem", QString::fromStdString(run.problem) },
             { "fault", QString::fromStdString(run.fault) },
             { "seconds", run.seconds } };
}

DocumentRun documentRunFromJson(const QJsonObject& json)
{
    DocumentRun r;
    r.input = json["input"].toString().toStdString();
    r.output = json["output"].toString().toStdString();
    r.materials = json["materials"].toInt();
    r.maps = json["maps"].toInt();
    r.readBack = json["readBack"].toInt();
    for (const QJsonValue& m : json["messages"].toArray())
        r.messages.push_back(m.toString().toStdString());
    r.problem = json["problem"].toString().toStdString();
    r.fault = json["fault"].toString().toStdString();
    r.seconds = json["seconds"].toDouble();
    return r;
}
