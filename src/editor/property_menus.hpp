#pragma once

class GoalPolygon;
class PhysicsPolygon;
class Polygon;
class World;

// Menus over the editor for what keys cannot set. Each becomes the current
// screen holding the editor, which keeps running underneath so that a typed
// style shows at once, and ends with a button back to editing.

// 's' on a polygon: its style; for a movable body also density, toughness
// and cut drag.
void open_material_menu(Polygon& polygon);
// 'g' on a movable body: its goal item.
void open_item_menu(PhysicsPolygon& body);
// 'g' on a goal region: its flags, unlock key and entries.
void open_goal_menu(GoalPolygon& goal);
// 'f' on the level: file name, Save, front and end matter.
void open_level_file_menu(World& world);
// 't' on the level: the countdown and the starting time.
void open_level_time_menu(World& world);
