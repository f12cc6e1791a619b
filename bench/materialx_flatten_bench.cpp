// Times flattening of definitions nested inside one another: each level's
// graph holds one node of the next level's definition, so flattening expands
// one node per round, as deep as the nesting goes.
#include <MaterialXCore/Document.h>
#include <MaterialXFormat/XmlIo.h>

#include <benchmark/benchmark.h>

#include <string>

namespace mx = MaterialX;

namespace
{

std::string nestedDefinitions(int depth)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<materialx version=\"1.38\">\n";
    for (int level = 0; level < depth; ++level)
    {
        const std::string name = "level" + std::to_string(level);
        const std::string next = "level" + std::to_string(level + 1);
        xml += "  <nodedef name=\"ND_" + name + "\" node=\"" + name + "\">\n"
                                                                      "    <input name=\"in\" type=\"float\" value=\"1\" />\n"
                                                                      "    <output name=\"out\" type=\"float\" />\n  </nodedef>\n";
        xml += "  <nodegraph name=\"NG_" + name + "\" nodedef=\"ND_" + name + "\">\n";
        if (level + 1 < depth)
            xml += "    <" + next + " name=\"inner\" type=\"float\"><input name=\"in\" type=\"float\" interfacename=\"in\" /></" +
                   next + ">\n";
        else
            xml += "    <multiply name=\"inner\" type=\"float\"><input name=\"in1\" type=\"float\" interfacename=\"in\" />"
                   "<input name=\"in2\" type=\"float\" value=\"2\" /></multiply>\n";
        xml += "    <output name=\"out\" type=\"float\" nodename=\"inner\" />\n  </nodegraph>\n";
    }
    xml += "  <level0 name=\"top\" type=\"float\"><input name=\"in\" type=\"float\" value=\"3\" /></level0>\n"
           "  <add name=\"sum\" type=\"float\"><input name=\"in1\" type=\"float\" nodename=\"top\" /></add>\n";
    return xml + "</materialx>\n";
}

void BM_FlattenNestedDefinitions(benchmark::State& state)
{
    const std::string xml = nestedDefinitions(int(state.range(0)));
    mx::DocumentPtr source = mx::createDocument();
    mx::readFromXmlString(source, xml);
    for (auto _ : state)
    {
        state.PauseTiming();
        mx::DocumentPtr doc = source->copy();
        state.ResumeTiming();
        doc->flattenSubgraphs();
        benchmark::DoNotOptimize(doc->getNode("sum"));
    }
    state.SetComplexityN(state.range(0));
}

} // anonymous namespace

BENCHMARK(BM_FlattenNestedDefinitions)->RangeMultiplier(2)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
