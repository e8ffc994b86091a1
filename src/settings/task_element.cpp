#include "settings/task_element.h"

#include "engine/task_setting_names.h"

#include <array>
#include <vector>

namespace {

using mrv::CTaskSetting;

// Writes each field through its getter.
class CTaskWriter {
public:
    CTaskWriter(CXmlDocument& doc, CXmlElement element, const CTaskSetting& task)
        : m_doc(doc), m_e(element), m_task(task) {}

    template <class G, class S>
    bool Flags(std::string_view name, const mrv::CNameTable& names, G get, S) {
        return m_doc.WriteFlags(m_e, name, names, (m_task.*get)());
    }
    template <class G, class S> bool Enum(std::string_view name, G get, S) {
        return m_doc.WriteEnum(m_e, name, (m_task.*get)());
    }
    template <class G, class S> bool Path(std::string_view name, G get, S) {
        return m_doc.WritePath(m_e, name, (m_task.*get)());
    }
    template <class G, class S> bool Text(std::string_view name, G get, S) {
        return m_doc.WriteText(m_e, name, (m_task.*get)());
    }
    template <class G, class S> bool Int(std::string_view name, G get, S) {
        return m_doc.WriteInt(m_e, name, (m_task.*get)());
    }
    template <class G, class S>
    bool OptionalInt(std::string_view name, G get, S set, std::int32_t) {
        return Int(name, get, set);
    }
    template <class G, class S> bool Double(std::string_view name, G get, S) {
        return m_doc.WriteDouble(m_e, name, (m_task.*get)());
    }
    template <class G, class S> bool Pair(std::string_view name, G get, S) {
        return m_doc.WriteStringPair(m_e, name, (m_task.*get)());
    }
    template <class G, class S> bool Color(std::string_view name, G get, S) {
        const my::colord& c = (m_task.*get)();
        const std::array<double, 5> values = {c.c[0], c.c[1], c.c[2], c.c[3], c.a};
        return m_doc.WriteDoubles(m_e, name, values);
    }

private:
    CXmlDocument& m_doc;
    CXmlElement m_e;
    const CTaskSetting& m_task;
};

// Reads each field and hands it to its setter.
class CTaskReader {
public:
    CTaskReader(CXmlDocument& doc, CXmlElement element, CTaskSetting& task)
        : m_doc(doc), m_e(element), m_task(task) {}

    template <class G, class S>
    bool Flags(std::string_view name, const mrv::CNameTable& names, G, S set) {
        std::uint32_t flags = 0;
        return m_doc.ReadFlags(m_e, name, names, flags) && Store(set, flags);
    }
    template <class G, class S> bool Enum(std::string_view name, G get, S set) {
        std::remove_cvref_t<decltype((m_task.*get)())> value{};
        return m_doc.ReadEnum(m_e, name, value) && Store(set, value);
    }
    template <class G, class S> bool Path(std::string_view name, G, S set) {
        std::string path;
        return m_doc.ReadPath(m_e, name, path) && Store(set, std::move(path));
    }
    template <class G, class S> bool Text(std::string_view name, G, S set) {
        std::string text;
        return m_doc.ReadText(m_e, name, text) && Store(set, std::move(text));
    }
    template <class G, class S> bool Int(std::string_view name, G, S set) {
        std::int32_t value = 0;
        return m_doc.ReadInt(m_e, name, value) && Store(set, value);
    }
    // An element added after the first files were written: files without it get `absent`.
    template <class G, class S>
    bool OptionalInt(std::string_view name, G get, S set, std::int32_t absent) {
        std::vector<CXmlElement> found;
        if (!m_doc.SelectChildren(m_e, name, found)) {
            return false;
        }
        return found.empty() ? Store(set, absent) : Int(name, get, set);
    }
    template <class G, class S> bool Double(std::string_view name, G, S set) {
        double value = 0;
        return m_doc.ReadDouble(m_e, name, value) && Store(set, value);
    }
    template <class G, class S> bool Pair(std::string_view name, G, S set) {
        CStringPair pair;
        return m_doc.ReadStringPair(m_e, name, pair) && Store(set, std::move(pair));
    }
    template <class G, class S> bool Color(std::string_view name, G, S set) {
        std::array<double, 5> v{};
        return m_doc.ReadDoubles(m_e, name, v) &&
               Store(set, my::colord(v[0], v[1], v[2], v[3], v[4]));
    }

private:
    template <class S, class V> bool Store(S set, V&& value) {
        (m_task.*set)(std::forward<V>(value));
        return true;
    }

    CXmlDocument& m_doc;
    CXmlElement m_e;
    CTaskSetting& m_task;
};

// The Task element's children in their stored order, for the writer and the reader alike.
// Elements added later come last and are optional; the reader selects each child by name, so a
// program that does not know a later element passes over it.
template <class Io> bool TransferTask(Io& io) {
    using T = CTaskSetting;
    return io.Flags("Flags", mrv::kTaskFlagNames, &T::GetFlags, &T::SetFlags) &&
           io.Path("SrcPath0", &T::GetSrcPath0, &T::SetSrcPath0) &&
           io.Path("SrcPath1", &T::GetSrcPath1, &T::SetSrcPath1) &&
           io.Enum("DstFormat", &T::GetDstFormat, &T::SetDstFormat) &&
           io.Path("DstFolder", &T::GetDstFolder, &T::SetDstFolder) &&
           io.Text("DstName", &T::GetDstName, &T::SetDstName) &&
           io.Int("StartNo", &T::GetStartNo, &T::SetStartNo) &&
           io.Int("Digits", &T::GetDigits, &T::SetDigits) &&
           io.Int("InterFrameCount", &T::GetInterFrameCount, &T::SetInterFrameCount) &&
           io.Enum("RoundType", &T::GetRoundType, &T::SetRoundType) &&
           io.Flags("RoundFlags", mrv::kRoundFlagNames, &T::GetRoundFlags, &T::SetRoundFlags) &&
           io.Enum("InterpolateType", &T::GetInterpolateType, &T::SetInterpolateType) &&
           io.Double("InterpolateAmp", &T::GetInterpolateAmp, &T::SetInterpolateAmp) &&
           io.Int("FrameRate", &T::GetFrameRate, &T::SetFrameRate) &&
           io.Int("LoopCount", &T::GetLoopCount, &T::SetLoopCount) &&
           io.Int("Width", &T::GetWidth, &T::SetWidth) &&
           io.Int("Height", &T::GetHeight, &T::SetHeight) &&
           io.Double("Dpi", &T::GetDpi, &T::SetDpi) &&
           io.Color("BkColor", &T::GetBkColor, &T::SetBkColor) &&
           io.Pair("PhaseBraces", &T::GetPhaseBraces, &T::SetPhaseBraces) &&
           io.Double("PhaseMultiple", &T::GetPhaseMultiple, &T::SetPhaseMultiple) &&
           io.OptionalInt("WebpQuality", &T::GetWebpQuality, &T::SetWebpQuality, T::kWebpLossless);
}

} // namespace

std::string DocumentTemplate(std::string_view root) {
    const std::string name(root);
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<" + name +
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n</" +
           name + ">\n";
}

bool BeginDocument(CXmlDocument& doc, std::string_view rootName, CXmlElement& root) {
    return doc.Create(DocumentTemplate(rootName)) && doc.SelectRoot(rootName, root) &&
           doc.WriteVersion(root, "Version", kProgramVersion);
}

bool WriteTaskElement(CXmlDocument& doc, CXmlElement parent, const CTaskSetting& task) {
    CXmlElement element;
    if (!doc.CreateElement("Task", element)) {
        return false;
    }
    CTaskWriter writer(doc, element, task);
    return TransferTask(writer) && doc.AppendChild(parent, element);
}

bool ReadTaskElement(CXmlDocument& doc, CXmlElement parent, CTaskSetting& task) {
    CXmlElement element;
    if (!doc.SelectChild(parent, "Task", element)) {
        return false;
    }
    CTaskReader reader(doc, element, task);
    return TransferTask(reader);
}
