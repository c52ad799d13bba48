#pragma once

#include <QString>

#include <cstring>
#include <pugixml.hpp>

/// Small reads and writes on the elements of an OpenDocument tree, as the model's classes share them.
namespace OdfNodes {

/// True when \a node is the element \a name ("table:table").
inline bool named(const pugi::xml_node &node, const char *name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

/// The value of \a node's attribute \a name; empty when it has none.
inline QString attribute(const pugi::xml_node &node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

/// Sets \a node's attribute \a name to \a value, adding it when missing.
inline void setAttribute(pugi::xml_node node, const char *name, const QString &value)
{
    pugi::xml_attribute found = node.attribute(name);
    if (!found)
        found = node.append_attribute(name);
    found.set_value(value.toUtf8().constData());
}

} // namespace OdfNodes
