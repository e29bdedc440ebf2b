// The enemies' test fixture: the actors' fixture (fake world, draw recorder, scripted random
// source, the hero's records) with an Enemies record wired as CurGame wires it, the shipped
// programs checked in, and nodes made on tiny programs of the test's own.
#pragma once

#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "game/actors/area_enemy_sets.h"
#include "game/frame/status_window.h"
#include "tests/game/actors/actor_fixture.h"

class EnemyTest : public ActorTest {
protected:
    EnemyTest() {
        LinkEnemyRecords(enemies, grid, player, arms, companion);
        enemies.status = &status;
    }
    ~EnemyTest() override { FreeEnemyList(enemies); }

    // A program of the test's own, put in the record under a free number from 93 down.
    int Program(std::vector<EnemyStep> steps) {
        programs_.push_back(std::move(steps));
        programRecords_.push_back(EnemyProgram{programs_.back().data(), (int)programs_.back().size()});
        const int number = nextProgram_--;
        EXPECT_GT(number, 13) << "the test's programs ran into the shipped ones";
        enemies.programs[number] = &programRecords_.back();
        return number;
    }
    // A node at (x, y) running the given steps, operation 10 until its first step runs.
    EnemyNode *Node(float x, float y, std::vector<EnemyStep> steps) {
        EnemyNode *n = Bare(x, y);
        n->program = Program(std::move(steps));
        n->steps = enemies.programs[n->program];
        return n;
    }
    // A node without a program.
    EnemyNode *Bare(float x, float y, int operation = OP_STILL) {
        EnemyNode *n = AppendEnemyNode(enemies);
        n->x = x;
        n->y = y;
        n->operation = operation;
        n->alive = 1;
        n->root = RefTo(n);
        return n;
    }
    static EnemyStep S(EnemyOperation op, int a = 0, float b = 0, float c = 0, float e = 0, float f = 0) {
        return EnemyStep{op, a, b, c, nullptr, e, f};
    }
    static EnemyStep Say(const char *text) { return EnemyStep{OP_SAY, 0, 0, 0, text, 0, 0}; }

    // The enemy passes of one play frame, in the play update's order.
    void EnemyFrame() {
        RunEnemyPrograms(enemies);
        UpdateEnemyAmbient(enemies);
        MoveEnemies(enemies);
    }
    void EnemyFrames(int n) {
        for (int i = 0; i < n; i++) EnemyFrame();
    }
    int Count() const {
        int n = 0;
        for (const EnemyNode *e = enemies.head; e; e = e->next) n++;
        return n;
    }
    std::vector<ShotNode *> Shots() const {
        std::vector<ShotNode *> out;
        for (ShotNode *s = arms.shotHead; s; s = s->next) out.push_back(s);
        return out;
    }
    static float Distance(const EnemyNode &a, const EnemyNode &b) { return std::hypot(a.x - b.x, a.y - b.y); }

    StatusWindow status;
    Enemies enemies;

private:
    std::deque<std::vector<EnemyStep>> programs_;
    std::deque<EnemyProgram> programRecords_;
    int nextProgram_ = kEnemyProgramCount;
};
