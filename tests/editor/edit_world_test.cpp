#include <cmath>
#include <numbers>

#include "editor/point_edit_adaptor.hpp"
#include "editor/polygon_edit_adaptor.hpp"
#include "editor_fixture.hpp"

TEST_F(EditorTest, UndoAndRedoStepThroughChangesWhateverIsBeingEdited)
{
    // Each change in a frame of its own, as the game's loop hands them over.
    const auto act = [&](const SDL_Event& event) {
        const bool handled = send(event);
        frame();
        return handled;
    };
    const auto undo = [&] { return act(key_press(SDLK_z, KMOD_LCTRL)); };
    // The player's editing story undoes and redoes a deletion with the keys;
    // here a deletion undone can be picked again at once.
    world->edit_view_centre = Vector2(0.5, 0);
    act(key_press(SDLK_p));
    hover(Vector2(0.55, 0.04));
    act(key_press(SDLK_d));
    ASSERT_TRUE(world->physics_polygons.empty());
    undo();
    ASSERT_EQ(world->physics_polygons.size(), 1u);
    hover(Vector2(0.55, 0.04));
    ASSERT_NE(dynamic_cast<PolygonEditAdaptor*>(world->hover_selection.get()), nullptr);

    // Half a turn of the rotation handle, the square with it, is one step;
    // undoing it closes the adaptor on the body.
    ASSERT_TRUE(send(click()));
    auto* adaptor = dynamic_cast<PolygonEditAdaptor*>(top());
    ASSERT_NE(adaptor, nullptr);
    hover(Vector2(0.7, 0));
    ASSERT_EQ(adaptor->child_handle, PolygonEditAdaptor::Handle::rotation);
    send(click());
    EXPECT_EQ(adaptor->help_text(), "Click and drag to move");
    for (double a = std::numbers::pi / 30; a < std::numbers::pi + 0.01; a += std::numbers::pi / 30)
        hover(Vector2(0.5, 0) + 0.3 * Vector2(std::cos(a), std::sin(a)));
    frame();  // the adaptor reads the handle a frame late
    EXPECT_TRUE(send(release()));
    frame();
    const PhysicsPolygon& body = world->physics_polygons[0];
    ASSERT_NEAR(std::fabs(body.angle), std::numbers::pi, 1e-9);
    EXPECT_NEAR(body.to_world(body.points[0]).x, 0.55, 1e-9);
    EXPECT_TRUE(undo());
    EXPECT_EQ(editor->edit_stack.size(), 1u);
    EXPECT_EQ(world->physics_polygons[0].angle, 0.0);

    // Redo goes forward again until something new is done; looking around is
    // no change.
    act(key_press(SDLK_z, KMOD_LCTRL | KMOD_LSHIFT));
    EXPECT_NEAR(std::fabs(world->physics_polygons[0].angle), std::numbers::pi, 1e-9);
    undo();
    act(key_press(SDLK_g));
    EXPECT_FALSE(editor->history.can_redo());
    world->edit_view_centre = Vector2(3, 0);
    frame();
    send(mouse_move(1, 0));
    undo();
    EXPECT_TRUE(world->goals.empty()) << "the goal was the last change, not the view";
}

TEST(EditHistory, KeepsTwoHundredStepsNothingForNoChangeAndAnUndoneChangeIsUnsaved)
{
    EditHistory history;
    history.reset({0});
    EXPECT_FALSE(history.commit({0}));
    EXPECT_EQ(history.undo(), nullptr);
    for (unsigned char i = 1; i <= 250; ++i)
        EXPECT_TRUE(history.commit({i, i}));
    EXPECT_EQ(history.bytes(), 201u * 2);
    int steps = 0;
    const EditHistory::Record* record = nullptr;
    for (const EditHistory::Record* r; (r = history.undo()) != nullptr; ++steps)
        record = r;
    EXPECT_EQ(steps, 200);
    EXPECT_EQ(*record, (EditHistory::Record{50, 50}));
    EXPECT_EQ(*history.redo(), (EditHistory::Record{51, 51}));
    // A new change drops what could be redone.
    history.commit({7});
    EXPECT_FALSE(history.can_redo());
    EXPECT_EQ(*history.undo(), (EditHistory::Record{51, 51}));

    // Undo and redo restore a state and settle it; only the saved one counts
    // as saved, or quitting would not ask to save the undone change.
    history.reset({0});
    history.commit({1});
    history.mark_saved();
    history.settle(*history.undo());
    EXPECT_TRUE(history.unsaved());
    history.settle(*history.redo());
    EXPECT_FALSE(history.unsaved());
}

TEST_F(EditorTest, NewSquaresLandOnTheGrid)
{
    grid = 4;
    world->edit_view_centre = Vector2(0.33, 0.21);
    press(SDLK_p);
    grid = 0;
    EXPECT_NEAR(world->physics_polygons.at(0).position.x, 0.32, 1e-12);
    EXPECT_NEAR(world->physics_polygons.at(0).position.y, 0.2, 1e-12);
}

// Left alone, the editor must come to rest: each frame it recomputes every
// body's mass, and the camera eases towards the cursor; neither may go on
// moving by rounding noise or by ever smaller steps, or the level is drawn
// anew every frame. A level just opened has no change to save or undo, though
// the editor moves a body onto its centroid and works out its moment again
// (the file's may differ in the last digit); one made at once has.
TEST_F(EditorTest, LeftAloneNothingMovesOrChanges)
{
    PhysicsPolygon body;
    body.points = {{0.13, -0.07}, {0.91, 0.02}, {0.77, 0.61}, {0.35, 0.83}, {-0.1, 0.4}};
    body.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}};
    body.position = Vector2(0.3, -0.2);
    body.angle = 0.7;
    body.rotation = Rotation{std::cos(0.7), std::sin(0.7), -std::sin(0.7), std::cos(0.7)};
    PhysicsPolygon centred = body;
    centred.update_mass_properties();
    body.moment = std::nextafter(centred.moment, 0.0);
    const auto open = [&] {
        auto level = std::make_unique<World>();
        level->physics_polygons.push_back(body);
        level->edit_view_centre = Vector2(0.2, 0.6);
        delete current_world;
        editor = new EditWorld(std::move(level));
        world = editor->world.get();
        current_world = editor;
    };
    open();
    frame();
    EXPECT_GT((world->physics_polygons[0].position - body.position).length(), 0.1)
        << "the origin moved to the centroid";
    centred = world->physics_polygons[0];
    int moving = 0;
    for (int i = 1; i <= 300; ++i) {
        const Vector2 camera = world->camera;
        frame();
        if (world->camera != camera)
            moving = i;
    }
    EXPECT_GT(moving, 5) << "the camera followed the cursor";
    EXPECT_LT(moving, 120) << "and stood";
    const PhysicsPolygon& after = world->physics_polygons[0];
    EXPECT_EQ(after.position, centred.position);
    EXPECT_EQ(after.points, centred.points);
    EXPECT_EQ(after.texture_offset, centred.texture_offset);
    EXPECT_FALSE(editor->unsaved());
    EXPECT_FALSE(editor->history.can_undo());

    open();
    press(SDLK_p);
    frame();
    EXPECT_EQ(world->physics_polygons.size(), 2u);
    EXPECT_TRUE(editor->unsaved());
    EXPECT_TRUE(editor->history.can_undo());
}
