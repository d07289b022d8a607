#pragma once

// The shares of the calories that come from fat, carbohydrate and protein,
// as fractions, from sums of calories C and grams of fat F, carbohydrate H and
// protein P. The macronutrients give E = 9F + 4H + 4P calories; each share is
// its part of E (9F / E, ...), scaled by C / E when E is not 0. A calorie sum
// of 0 gives three shares of 0.
struct CalorieShares
{
    double fat = 0;
    double carbohydrate = 0;
    double protein = 0;

    static CalorieShares of(double calories, double fat, double carbohydrate, double protein);
};
