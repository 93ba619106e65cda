CREATE UNIQUE INDEX "One blank" ON "Swim Table" ("Meet Specific") WHERE "Meet Specific" = '';
