#include <MaterialXFormat/XmlIo.h>
#include <MaterialXFormat/XmlTextWriter.h>

#include <pugixml.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

MATERIALX_NAMESPACE_BEGIN

const string MTLX_EXTENSION = "mtlx";
const int MAX_XINCLUDE_DEPTH = 256;
const int MAX_XML_TREE_DEPTH = 256;

namespace
{

const char* const XINCLUDE_TAG = "xi:include";

// How many XIncludes are being read, one inside the other, on this thread.
thread_local int includeDepth = 0;

// What one document read remembers of its XIncludes, so that a file
// included many times (a fan-out) is read, parsed and built once.
struct IncludeSession
{
    // Parsed files by the path they were found at.
    std::unordered_map<string, std::shared_ptr<const pugi::xml_document>> parsed;

    // A built include: valid wherever it is read with the same key, unless
    // the chain it is read in names one of the files below it, or the depth
    // left is too small: then the full read throws just as it always did.
    struct Built
    {
        DocumentPtr library;
        std::unordered_set<string> hrefsBelow;
        int heightBelow = 0;
    };
    std::unordered_map<string, Built> built;

    // The includes being read right now, innermost last.
    vector<Built*> open;
};
thread_local IncludeSession* includeSession = nullptr;

// Opens a session for the outermost read on this thread.
class IncludeSessionScope
{
  public:
    IncludeSessionScope()
    {
        if (!includeSession)
        {
            owned_.reset(new IncludeSession());
            includeSession = owned_.get();
        }
    }
    ~IncludeSessionScope()
    {
        if (owned_)
            includeSession = nullptr;
    }
    IncludeSessionScope(const IncludeSessionScope&) = delete;
    IncludeSessionScope& operator=(const IncludeSessionScope&) = delete;
    bool isOutermost() const { return owned_ != nullptr; }

  private:
    std::unique_ptr<IncludeSession> owned_;
};

// Everything reading an include depends on apart from the chain and depth
// above it.  Repeated search folders change no lookup, so they are left out.
string includeKey(const string& href, const FileSearchPath& searchPath, const XmlReadOptions& options)
{
    string key = href;
    key += '\0';
    key += options.parentXIncludes.empty() ? EMPTY_STRING : options.parentXIncludes.front();
    key += '\0';
    key += char('0' + options.readComments) + string(1, char('0' + options.readNewlines)) + char('0' + options.upgradeVersion);
    std::unordered_set<string> seen;
    for (const FilePath& path : searchPath)
    {
        string folder = path.asString();
        if (seen.insert(folder).second)
        {
            key += '\0';
            key += folder;
        }
    }
    return key;
}

void noteIncludeBelow(const string& href, const IncludeSession::Built* built)
{
    if (!includeSession || includeSession->open.empty())
        return;
    IncludeSession::Built* parent = includeSession->open.back();
    parent->hrefsBelow.insert(href);
    if (built)
    {
        parent->hrefsBelow.insert(built->hrefsBelow.begin(), built->hrefsBelow.end());
        parent->heightBelow = std::max(parent->heightBelow, built->heightBelow + 1);
    }
    else
        parent->heightBelow = std::max(parent->heightBelow, 1);
}

unsigned int parseOptions(const XmlReadOptions* readOptions)
{
    unsigned int options = pugi::parse_default;
    if (readOptions && readOptions->readComments)
        options |= pugi::parse_comments;
    return options;
}

void checkParseResult(const pugi::xml_parse_result& result, const FilePath& filename = FilePath())
{
    if (result)
        return;
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error ||
        result.status == pugi::status_out_of_memory)
    {
        throw ExceptionFileMissing("Failed to open file for reading: " + filename.asString());
    }
    string message = "XML parse error";
    if (!filename.isEmpty())
        message += " in " + filename.asString();
    message += " (" + string(result.description()) + " at character " + std::to_string(result.offset) + ")";
    throw ExceptionParseError(message);
}

// The names of one element's children while it is read, to find the first
// child of each name: an open-addressing table reused from element to
// element, where a lookup in the element itself would build its name index.
class SiblingNames
{
  public:
    void reset(size_t count)
    {
        size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        if (capacity > slots_.size() || ++stamp_ == 0)
        {
            slots_.assign(std::max(capacity, slots_.size()), Slot());
            stamp_ = 1;
        }
        mask_ = capacity - 1;
    }

    // False when the name was inserted before.
    bool insert(std::string_view name)
    {
        for (size_t i = std::hash<std::string_view>()(name) & mask_;; i = (i + 1) & mask_)
        {
            Slot& slot = slots_[i];
            if (slot.stamp != stamp_)
            {
                slot = { name, stamp_ };
                return true;
            }
            if (slot.name == name)
                return false;
        }
    }

  private:
    struct Slot
    {
        std::string_view name;
        uint32_t stamp = 0;
    };
    vector<Slot> slots_;
    size_t mask_ = 0;
    uint32_t stamp_ = 0;
};

// Below this many children the element's own lookup scans them.
constexpr size_t SIBLING_NAMES_THRESHOLD = 12;

bool isNameAttribute(const char* attrName)
{
    // Asked of every attribute read, and many begin "node": no call for it.
    return attrName[0] == 'n' && attrName[1] == 'a' && attrName[2] == 'm' && attrName[3] == 'e' && attrName[4] == 0;
}

// The element's name, or "" when it has none.
const char* nameOf(const pugi::xml_node& xmlNode)
{
    for (pugi::xml_attribute attr = xmlNode.first_attribute(); attr; attr = attr.next_attribute())
    {
        if (isNameAttribute(attr.name()))
            return attr.value();
    }
    return "";
}

bool isSkippedInclude(const pugi::xml_node& xmlChild, int depth)
{
    // The root's XIncludes were followed already.
    return depth == 0 && xmlChild.name()[0] == XINCLUDE_TAG[0] && std::strcmp(xmlChild.name(), XINCLUDE_TAG) == 0;
}

// With releaseRead, each child's XML is freed once the child is built: a
// large document then never holds its whole XML tree beside its elements.
void elementFromXml(const pugi::xml_node& xmlNode, Element& elem, const XmlReadOptions* readOptions, int depth,
                    bool releaseRead = false)
{
    if (depth >= MAX_XML_TREE_DEPTH)
        throw ExceptionParseError("Maximum tree depth exceeded.");

    // The root element already has its version; every other element is new.
    bool fresh = elem.getAttributePairs().empty();
    if (fresh)
    {
        size_t count = 0;
        // The name is the element's own, not one of its attributes.
        for (pugi::xml_attribute attr = xmlNode.first_attribute(); attr; attr = attr.next_attribute())
            count += !isNameAttribute(attr.name());
        elem.reserveAttributes(count);
    }
    for (pugi::xml_attribute attr = xmlNode.first_attribute(); attr; attr = attr.next_attribute())
    {
        const char* attrName = attr.name();
        if (isNameAttribute(attrName))
            continue;
        // Of an attribute given twice, the last value wins.
        if (!fresh || !elem.appendNewAttribute(attrName, attr.value()))
            elem.setAttribute(attrName, attr.value());
    }

    const bool readComments = readOptions && readOptions->readComments;
    // The children's names, looked up once: a range of the thread's name
    // stack per element being read, given back when it is done.
    thread_local vector<const char*> nameStack;
    struct NameRange
    {
        size_t first = nameStack.size();
        ~NameRange() { nameStack.resize(first); }
    } names;
    size_t childCount = 0;
    bool allNamed = true;
    for (pugi::xml_node xmlChild = xmlNode.first_child(); xmlChild; xmlChild = xmlChild.next_sibling())
    {
        pugi::xml_node_type type = xmlChild.type();
        if (type == pugi::node_element)
        {
            ++childCount;
            const char* childName = nameOf(xmlChild);
            nameStack.push_back(childName);
            allNamed = allNamed && (isSkippedInclude(xmlChild, depth) || *childName);
        }
        else if (type == pugi::node_comment && readComments)
            allNamed = false;
    }
    if (childCount == 0 && !readComments)
        return;

    // Which children lose to an earlier one of their name, found up front
    // when only named children join an element that has none yet.
    vector<size_t> losers;
    const bool namesUpFront = allNamed && childCount > SIBLING_NAMES_THRESHOLD && !elem.hasChildren();
    if (namesUpFront)
    {
        thread_local SiblingNames siblingNames;
        siblingNames.reset(childCount);
        size_t index = 0;
        size_t position = names.first;
        for (pugi::xml_node xmlChild = xmlNode.first_child(); xmlChild; xmlChild = xmlChild.next_sibling())
        {
            if (xmlChild.type() != pugi::node_element)
                continue;
            const char* childName = nameStack[position++];
            if (isSkippedInclude(xmlChild, depth))
                continue;
            if (!siblingNames.insert(childName))
                losers.push_back(index);
            ++index;
        }
    }
    elem.reserveChildren(childCount);

    string category;
    string name;
    size_t index = 0;
    size_t position = names.first;
    auto nextLoser = losers.begin();
    pugi::xml_node parentNode = xmlNode;
    pugi::xml_node next;
    for (pugi::xml_node xmlChild = xmlNode.first_child(); xmlChild; xmlChild = next)
    {
        next = xmlChild.next_sibling();
        pugi::xml_node_type type = xmlChild.type();
        if (type == pugi::node_comment)
        {
            if (readComments)
            {
                ElementPtr comment = elem.addChildOfCategory(CommentElement::CATEGORY);
                comment->setDocString(xmlChild.value());
            }
            continue;
        }
        if (type != pugi::node_element)
            continue;
        const char* childName = nameStack[position++];
        if (isSkippedInclude(xmlChild, depth))
            continue;

        category = xmlChild.name();
        name = childName;
        Element* child;
        if (namesUpFront)
        {
            // Of several children with one name, the first wins.
            const bool loses = nextLoser != losers.end() && *nextLoser == index;
            ++index;
            if (loses)
            {
                ++nextLoser;
                continue;
            }
            child = &elem.appendNewChild(category, name);
        }
        else if (name.empty())
            child = elem.addChildOfCategory(category).get();
        else
        {
            if (elem.findChild(name))
                continue;
            child = &elem.appendNewChild(category, name);
        }
        elementFromXml(xmlChild, *child, readOptions, depth + 1);
        if (releaseRead)
            parentNode.remove_child(xmlChild);
    }
}

void readXIncludeFile(DocumentPtr doc, const FilePath& filename, const FileSearchPath& searchPath, const XmlReadOptions* readOptions)
{
    readFromXmlFile(doc, filename, searchPath, readOptions);
}

void processXIncludes(DocumentPtr doc, const pugi::xml_node& xmlRoot, const FileSearchPath& searchPath, const XmlReadOptions* readOptions)
{
    FileSearchPath includeSearchPath;
    bool searchPathReady = false;
    pugi::xml_node xiNode = xmlRoot.child(XINCLUDE_TAG);
    while (xiNode)
    {
        XmlReadFunction readFunction = readOptions ? readOptions->readXIncludeFunction : XmlReadFunction(readXIncludeFile);
        if (readFunction)
        {
            string filename = xiNode.attribute("href").value();
            if (readOptions)
            {
                const StringVec& parents = readOptions->parentXIncludes;
                if (std::find(parents.begin(), parents.end(), filename) != parents.end())
                    throw ExceptionParseError("XInclude cycle detected.");
            }

            XmlReadOptions includeOptions = readOptions ? *readOptions : XmlReadOptions();
            includeOptions.parentXIncludes.push_back(filename);

            // Includes are found relative to the including file first.
            if (!searchPathReady)
            {
                const string& parentUri = doc->getSourceUri();
                if (!parentUri.empty())
                {
                    FilePath parentPath = searchPath.find(FilePath(parentUri));
                    if (!parentPath.isEmpty())
                    {
                        includeSearchPath = searchPath;
                        includeSearchPath.prepend(parentPath.getParentPath());
                    }
                }
                if (includeSearchPath.isEmpty())
                    includeSearchPath = searchPath;
                searchPathReady = true;
            }

            // A file always names its includes the same way, so the check
            // above ends every cycle; the bound keeps an endless chain of
            // distinct files (or a custom read function) off the stack's end.
            if (includeDepth >= MAX_XINCLUDE_DEPTH)
                throw ExceptionParseError("Maximum XInclude depth exceeded.");
            const string key = includeKey(filename, includeSearchPath, includeOptions);
            auto cached = includeSession->built.find(key);
            if (cached != includeSession->built.end())
            {
                const IncludeSession::Built& built = cached->second;
                bool reusable = includeDepth + built.heightBelow < MAX_XINCLUDE_DEPTH;
                for (const string& parent : includeOptions.parentXIncludes)
                    reusable = reusable && !built.hrefsBelow.count(parent);
                if (reusable)
                {
                    noteIncludeBelow(filename, &built);
                    doc->importLibrary(built.library);
                    pugi::xml_node next = xiNode.next_sibling(XINCLUDE_TAG);
                    xiNode = next;
                    continue;
                }
            }

            IncludeSession::Built built;
            built.library = createDocument();
            includeSession->open.push_back(&built);
            ++includeDepth;
            try
            {
                readFunction(built.library, FilePath(filename), includeSearchPath, &includeOptions);
            }
            catch (...)
            {
                --includeDepth;
                includeSession->open.pop_back();
                throw;
            }
            --includeDepth;
            includeSession->open.pop_back();
            noteIncludeBelow(filename, &built);
            doc->importLibrary(built.library);
            includeSession->built[key] = std::move(built);
        }
        xiNode = xiNode.next_sibling(XINCLUDE_TAG);
    }
}

// Freeing the parsed tree element by element as the read goes on only pays
// for documents large enough for their XML to matter beside their elements;
// a smaller one is freed as a whole when the read is done.
constexpr long long RELEASE_READ_MIN_BYTES = 1 << 20;

// With releaseRead the XML tree is used up: no later read may need it.
void documentFromXml(DocumentPtr doc, const pugi::xml_document& xmlDoc, const FileSearchPath& searchPath,
                     const XmlReadOptions* readOptions, bool releaseRead)
{
    IncludeSessionScope session;
    pugi::xml_node xmlRoot = xmlDoc.child(Document::CATEGORY.c_str());
    if (!xmlRoot)
        throw ExceptionParseError("No root MaterialX element found.");
    processXIncludes(doc, xmlRoot, searchPath, readOptions);
    elementFromXml(xmlRoot, *doc, readOptions, 0, releaseRead);
    if (!readOptions || readOptions->upgradeVersion)
        doc->upgradeVersion();
}

} // anonymous namespace

XmlReadOptions::XmlReadOptions() :
    readComments(false),
    readNewlines(false),
    upgradeVersion(true),
    readXIncludeFunction(readXIncludeFile)
{
}

XmlWriteOptions::XmlWriteOptions() :
    writeXIncludeEnable(true)
{
}

void readFromXmlFile(DocumentPtr doc, FilePath filename, FileSearchPath searchPath, const XmlReadOptions* readOptions)
{
    searchPath.append(getEnvironmentPath());
    filename = searchPath.find(filename);

    // A folder opens like a file, and the parser would ask for its huge
    // "size" in memory.
    struct stat info;
    const bool found = stat(filename.asString().c_str(), &info) == 0;
    if (found && S_ISDIR(info.st_mode))
        throw ExceptionFileMissing("Failed to open file for reading: " + filename.asString());
    const bool large = found && info.st_size >= RELEASE_READ_MIN_BYTES;

    // Within one document's read a file is parsed once, however often it is included.
    IncludeSessionScope session;
    std::shared_ptr<const pugi::xml_document> xmlDoc;
    const string cacheKey = filename.asString() + '\0' + std::to_string(parseOptions(readOptions));
    auto cached = includeSession->parsed.find(cacheKey);
    if (cached != includeSession->parsed.end())
        xmlDoc = cached->second;
    else
    {
        auto parsed = std::make_shared<pugi::xml_document>();
        pugi::xml_parse_result result = parsed->load_file(filename.asString().c_str(), parseOptions(readOptions));
        checkParseResult(result, filename);
        xmlDoc = parsed;
        includeSession->parsed.emplace(cacheKey, xmlDoc);
    }

    // The source URI is set first: XIncludes are looked up beside it.
    if (readOptions && !readOptions->parentXIncludes.empty())
        doc->setSourceUri(readOptions->parentXIncludes.front());
    else
        doc->setSourceUri(filename.asString());
    // Includes have all been read before the root's children: at the
    // outermost read nothing needs the parsed file once they are built.
    documentFromXml(doc, *xmlDoc, searchPath, readOptions, session.isOutermost() && large);
}

void readFromXmlString(DocumentPtr doc, const string& str, const FileSearchPath& searchPath, const XmlReadOptions* readOptions)
{
    pugi::xml_document xmlDoc;
    pugi::xml_parse_result result = xmlDoc.load_buffer(str.data(), str.size(), parseOptions(readOptions));
    checkParseResult(result);
    documentFromXml(doc, xmlDoc, searchPath, readOptions, str.size() >= RELEASE_READ_MIN_BYTES);
}

void readFromXmlStream(DocumentPtr doc, std::istream& stream, FileSearchPath searchPath, const XmlReadOptions* readOptions)
{
    pugi::xml_document xmlDoc;
    pugi::xml_parse_result result = xmlDoc.load(stream, parseOptions(readOptions));
    checkParseResult(result);
    documentFromXml(doc, xmlDoc, searchPath, readOptions, true);
}

void readFromXmlBuffer(DocumentPtr doc, const char* buffer, FileSearchPath searchPath, const XmlReadOptions* readOptions)
{
    readFromXmlString(doc, buffer ? string(buffer) : EMPTY_STRING, searchPath, readOptions);
}

void writeToXmlStream(DocumentPtr doc, std::ostream& stream, const XmlWriteOptions* writeOptions)
{
    string buffer;
    writeXmlText(*doc, buffer, &stream, writeOptions);
}

void writeToXmlFile(DocumentPtr doc, const FilePath& filename, const XmlWriteOptions* writeOptions)
{
    std::ofstream stream(filename.asString(), std::ios::binary);
    writeToXmlStream(doc, stream, writeOptions);
}

string writeToXmlString(DocumentPtr doc, const XmlWriteOptions* writeOptions)
{
    string text;
    writeXmlText(*doc, text, nullptr, writeOptions);
    return text;
}

void prependXInclude(DocumentPtr doc, const FilePath& filename)
{
    if (filename.isEmpty())
        return;
    ElementPtr include = doc->addChildOfCategory("xinclude");
    include->setSourceUri(filename.asString());
    doc->setChildIndex(include->getName(), 0);
}

MATERIALX_NAMESPACE_END
