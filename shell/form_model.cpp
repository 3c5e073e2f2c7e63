#include "shell/form_model.h"

namespace shell {

void HandlerTable::Add(std::string name, Handler handler) { handlers_[std::move(name)] = std::move(handler); }

bool HandlerTable::Has(std::string_view name) const { return handlers_.find(name) != handlers_.end(); }

const Handler* HandlerTable::Find(std::string_view name) const {
    const auto found = handlers_.find(name);
    return found == handlers_.end() ? nullptr : &found->second;
}

long long UnitModel::Integer(std::size_t property) const { return std::get<long long>(properties.at(property)); }

bool UnitModel::Truth(std::size_t property) const { return std::get<bool>(properties.at(property)); }

const std::string& UnitModel::Text(std::size_t property) const {
    return std::get<std::string>(properties.at(property));
}

void UnitModel::Raise(std::size_t event, const EventArgs& args) const {
    if (event < events.size() && events[event]) events[event](args);
}

namespace {

// Settings of a control entry that are not numbered properties of its kind.
constexpr std::string_view kTabStopKey = "TabStop";
constexpr std::string_view kTabIndexKey = "TabIndex";

std::optional<PropertyValue> ToPropertyValue(const SettingValue& value) {
    if (const auto* number = std::get_if<long long>(&value)) return PropertyValue(*number);
    if (const auto* truth = std::get_if<bool>(&value)) return PropertyValue(*truth);
    if (const auto* text = std::get_if<std::string>(&value)) return PropertyValue(*text);
    return std::nullopt;  // bare words name choices only in comments; they are not values
}

class ModelReader {
public:
    ModelReader(const std::vector<const UnitKindSchema*>& kinds, const HandlerTable& handlers,
                const TextConverter& convert)
        : kinds_(kinds), handlers_(handlers), convert_(convert) {}

    FormModelResult Read(const FormDescription& description) {
        FormModel model;
        if (!ReadUnit(description.window, WindowSchema(), model.window)) return Failure();
        for (const UnitEntry& entry : description.units) {
            const UnitKindSchema* schema = SchemaFor(entry);
            if (schema == nullptr) return Failure();
            UnitModel unit;
            if (!ReadUnit(entry, *schema, unit)) return Failure();
            model.units.push_back(std::move(unit));
        }
        FormModelResult result;
        result.model = std::move(model);
        return result;
    }

private:
    const UnitKindSchema* SchemaFor(const UnitEntry& entry) {
        if (entry.section == SectionKind::Menu) return &MenuSchema();
        for (const UnitKindSchema* kind : kinds_) {
            if (kind->kind == entry.kind) return kind;
        }
        Fail(entry.line, "control '" + entry.name + "' is of the unknown kind '" + entry.kind + "'");
        return nullptr;
    }

    bool ReadUnit(const UnitEntry& entry, const UnitKindSchema& schema, UnitModel& unit) {
        unit.section = entry.section;
        unit.name = entry.name;
        unit.schema = &schema;
        for (const PropertySpec& spec : schema.properties) unit.properties.push_back(spec.defaultValue);
        unit.events.resize(schema.events.size());
        unit.tabStop = entry.section == SectionKind::Control;

        for (const Setting& setting : entry.settings) {
            if (!ReadSetting(entry, setting, schema, unit)) return false;
        }
        for (const EventBinding& binding : entry.bindings) {
            if (!Bind(binding, schema, unit)) return false;
        }
        return true;
    }

    bool ReadSetting(const UnitEntry& entry, const Setting& setting, const UnitKindSchema& schema, UnitModel& unit) {
        if (entry.section == SectionKind::Control && setting.key == kTabStopKey) {
            const auto* truth = std::get_if<bool>(&setting.value);
            if (truth == nullptr) return Fail(setting.line, "TabStop takes yes or no");
            unit.tabStop = *truth;
            return true;
        }
        if (entry.section == SectionKind::Control && setting.key == kTabIndexKey) {
            const auto* number = std::get_if<long long>(&setting.value);
            if (number == nullptr) return Fail(setting.line, "TabIndex takes a number");
            unit.tabIndex = *number;
            return true;
        }
        const auto index = schema.FindProperty(setting.key);
        if (!index) {
            return Fail(setting.line, "'" + entry.name + "' (" + std::string(schema.kind) + ") has no property '" +
                                          setting.key + "'");
        }
        const PropertySpec& spec = schema.properties[*index];
        std::optional<PropertyValue> value = ToPropertyValue(setting.value);
        if (!value || !Accepts(spec, *value)) {
            return Fail(setting.line, "the value of '" + setting.key + "' does not fit the property");
        }
        if (spec.type == PropertyType::Text) {
            std::optional<std::string> converted = convert_(std::get<std::string>(*value));
            if (!converted) return Fail(setting.line, "the text of '" + setting.key + "' cannot be stored as GBK");
            *value = std::move(*converted);
        }
        unit.properties[*index] = std::move(*value);
        return true;
    }

    bool Bind(const EventBinding& binding, const UnitKindSchema& schema, UnitModel& unit) {
        const auto event = schema.FindEvent(binding.event);
        if (!event) {
            return Fail(binding.line, "'" + unit.name + "' has no event '" + binding.event + "'");
        }
        const Handler* handler = handlers_.Find(binding.handler);
        if (handler == nullptr) return Fail(binding.line, "no routine is named '" + binding.handler + "'");
        unit.events[*event] = *handler;
        return true;
    }

    bool Fail(int line, std::string message) {
        error_ = {line, std::move(message)};
        return false;
    }

    FormModelResult Failure() const {
        FormModelResult result;
        result.error = error_;
        return result;
    }

    const std::vector<const UnitKindSchema*>& kinds_;
    const HandlerTable& handlers_;
    const TextConverter& convert_;
    FormError error_;
};

}  // namespace

FormModelResult ReadFormModel(const FormDescription& description,
                              const std::vector<const UnitKindSchema*>& controlKinds,
                              const HandlerTable& handlers, const TextConverter& toRuntimeText) {
    return ModelReader(controlKinds, handlers, toRuntimeText).Read(description);
}

}  // namespace shell
