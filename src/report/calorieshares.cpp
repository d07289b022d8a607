#include "report/calorieshares.h"

CalorieShares CalorieShares::of(double calories, double fat, double carbohydrate, double protein)
{
    const double fromMacronutrients = 9 * fat + 4 * carbohydrate + 4 * protein;
    const double k = fromMacronutrients == 0 ? 1 : calories / fromMacronutrients;
    if (calories == 0)
        return {};
    return {9 * fat * k / calories, 4 * carbohydrate * k / calories, 4 * protein * k / calories};
}
