// A form description checked against the unit kinds and the launcher's
// handlers: every setting typed and in range, every binding resolved to the
// routine it names. This is what the runtime builds windows from.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/form_description.h"
#include "shell/unit_schema.h"

namespace shell {

struct EventArgs {
    int integer = 0;  // the tray event's kind; unused by other events
};

using Handler = std::function<void(const EventArgs&)>;

// The launcher's routines by name. A name may be registered before its
// routine exists (an empty Handler): binding it is fine and raising it runs
// nothing.
class HandlerTable {
public:
    void Add(std::string name, Handler handler);
    bool Has(std::string_view name) const;
    const Handler* Find(std::string_view name) const;

private:
    std::map<std::string, Handler, std::less<>> handlers_;
};

struct UnitModel {
    SectionKind section = SectionKind::Window;
    std::string name;
    const UnitKindSchema* schema = nullptr;
    std::vector<PropertyValue> properties;  // by number, defaults filled in
    std::vector<Handler> events;            // by event number; empty when unbound
    bool tabStop = false;                   // controls only
    long long tabIndex = 0;                 // controls only

    long long Integer(std::size_t property) const;
    bool Truth(std::size_t property) const;
    const std::string& Text(std::size_t property) const;
    void Raise(std::size_t event, const EventArgs& args = {}) const;
};

struct FormModel {
    UnitModel window;
    std::vector<UnitModel> units;  // controls and menu units, in stored order
};

// Maps a text as stored (UTF-8) to the text the runtime keeps (GBK).
using TextConverter = std::function<std::optional<std::string>(std::string_view)>;

struct FormModelResult {
    std::optional<FormModel> model;
    FormError error;
};

// `controlKinds` lists the control kinds this build provides.
FormModelResult ReadFormModel(const FormDescription& description,
                              const std::vector<const UnitKindSchema*>& controlKinds,
                              const HandlerTable& handlers, const TextConverter& toRuntimeText);

}  // namespace shell
